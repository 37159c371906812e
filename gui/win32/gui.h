#pragma once

#include <memory>
#include <type_traits>

#include "platform/windows/windows_api.h"

// What a Win32 window of this system needs around it: the program icon, window sizes from client
// sizes, owned GDI objects and the message loop.
namespace gui::win32 {

// The program's icon from the running program's resources, at size x size pixels.
HICON ProgramIcon(int size);

// The outer size of a window with the given styles whose client area is width x height pixels.
SIZE WindowSizeForClient(DWORD style, DWORD extendedStyle, int width, int height);

// A GDI object (a brush, a font), deleted when its owner goes.
struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
template <typename Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;

// Dispatches messages until WM_QUIT; Tab and the arrow keys move the focus among the controls of
// keyboardWindow as they do in a dialog. Returns the exit code WM_QUIT carried.
int RunMessageLoop(HWND keyboardWindow);

}  // namespace gui::win32
