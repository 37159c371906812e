#pragma once

#include <memory>
#include <type_traits>

#include "platform/windows/windows_api.h"

// What a Win32 window of this system needs around it: the program icon, owned GDI objects, the
// focus always shown and the message loop.
namespace gui::win32 {

// The program's icon from the running program's resources, at size x size pixels.
HICON ProgramIcon(int size);

// A GDI object (a brush, a font), deleted when its owner goes.
struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
template <typename Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;

// Shows the focus of every control of a top-level window from now on: where the user's settings
// hide keyboard cues, the system would hide it until a key is pressed.
void ShowFocusAlways(HWND window);
// What a top-level window that always shows the focus answers to WM_CHANGEUISTATE and
// WM_UPDATEUISTATE: the change asked for, without hiding the focus.
LRESULT KeepFocusShown(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Dispatches messages until WM_QUIT; Tab and the arrow keys move the focus among the controls of
// keyboardWindow as they do in a dialog. Returns the exit code WM_QUIT carried.
int RunMessageLoop(HWND keyboardWindow);

}  // namespace gui::win32
