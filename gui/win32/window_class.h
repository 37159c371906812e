#pragma once

#include "platform/windows/windows_api.h"

namespace gui::win32 {

// A window class of the running program, with the arrow cursor and the program icon.
struct WindowClass {
    const char* name;
    WNDPROC procedure;
    HBRUSH background = nullptr;  // null: the window paints its own background
    int extraBytes = 0;           // kept with each window, for GetWindowLongPtr
};

// Registers the class the first time; later calls for the same name change nothing.
void RegisterWindowClass(const WindowClass& windowClass);

}  // namespace gui::win32
