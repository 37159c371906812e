#pragma once

#include <exception>
#include <utility>

#include "platform/runtime_error.h"
#include "platform/win32/windows_api.h"

// What a Win32 window of this system needs around it: the program icon, window sizes from client
// sizes, the message loop, and handlers that never let an error cross the window system.
namespace platform::win32 {

// The program's icon from the running program's resources, at size x size pixels.
HICON ProgramIcon(int size);

// The outer size of a window with the given styles whose client area is width x height pixels.
SIZE WindowSizeForClient(DWORD style, DWORD extendedStyle, int width, int height);

// Dispatches messages until WM_QUIT; Tab and the arrow keys move the focus among the controls of
// keyboardWindow as they do in a dialog. Returns the exit code WM_QUIT carried.
int RunMessageLoop(HWND keyboardWindow);

// The run-time error number for a failure that is not one of the runtime's own.
inline constexpr int kInternalError = 51;

// Runs an event handler as the runtime does (see RunHandler). Any other exception is reported
// the same way: none may unwind through the system's code that called the window procedure.
template <typename Handler>
void RunWindowHandler(Handler&& handler) {
    try {
        RunHandler(std::forward<Handler>(handler));
    } catch (const std::exception& failure) {
        ReportUnhandled(RuntimeError(kInternalError, failure.what()));
    }
}

}  // namespace platform::win32
