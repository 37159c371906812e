#include "gui/win32/gui.h"

#include "gui/win32/resource_ids.h"

namespace gui::win32 {

HICON ProgramIcon(int size) {
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                           MAKEINTRESOURCEW(VELMORA_PROGRAM_ICON), IMAGE_ICON, size,
                                           size, LR_DEFAULTCOLOR | LR_SHARED));
}

SIZE WindowSizeForClient(DWORD style, DWORD extendedStyle, int width, int height) {
    RECT frame{0, 0, width, height};
    ::AdjustWindowRectEx(&frame, style, FALSE, extendedStyle);
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

int RunMessageLoop(HWND keyboardWindow) {
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (keyboardWindow != nullptr && ::IsDialogMessageW(keyboardWindow, &message)) {
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace gui::win32
