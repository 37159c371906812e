#include "gui/win32/gui.h"

#include "gui/win32/resource_ids.h"

namespace gui::win32 {

HICON ProgramIcon(int size) {
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                           MAKEINTRESOURCEW(VELMORA_PROGRAM_ICON), IMAGE_ICON, size,
                                           size, LR_DEFAULTCOLOR | LR_SHARED));
}

void ShowFocusAlways(HWND window) {
    ::SendMessageW(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

LRESULT KeepFocusShown(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const WORD action = LOWORD(wParam);
    auto flags = static_cast<WORD>(HIWORD(wParam));
    if (action == UIS_SET) {
        flags &= static_cast<WORD>(~UISF_HIDEFOCUS);
        if (flags == 0) {
            return 0;
        }
    }
    const LRESULT result = ::DefWindowProcW(window, message, MAKEWPARAM(action, flags), lParam);
    // Set from the last input, which may have been the mouse: shown again.
    if (action == UIS_INITIALIZE) {
        ::DefWindowProcW(window, message, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    }
    return result;
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
