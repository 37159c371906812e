#include "gui/win32/gui.h"

#include "gui/win32/resource_ids.h"

namespace gui::win32 {

HICON ProgramIcon(int size) {
    return static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                           MAKEINTRESOURCEA(VELMORA_PROGRAM_ICON), IMAGE_ICON, size,
                                           size, LR_DEFAULTCOLOR | LR_SHARED));
}

SIZE WindowSizeForClient(DWORD style, DWORD extendedStyle, int width, int height) {
    RECT frame{0, 0, width, height};
    ::AdjustWindowRectEx(&frame, style, FALSE, extendedStyle);
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

int RunMessageLoop(HWND keyboardWindow) {
    MSG message{};
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (keyboardWindow != nullptr && ::IsDialogMessageA(keyboardWindow, &message)) {
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace gui::win32
