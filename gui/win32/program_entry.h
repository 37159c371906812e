#pragma once

#include <functional>
#include <memory>

#include "platform/layout.h"
#include "platform/services.h"
#include "platform/windows/windows_api.h"

namespace gui::win32 {

// What the program entry needs of a program's one window.
class ProgramWindow {
public:
    virtual ~ProgramWindow() = default;

    // The load handler, then the first show; the load handler may end the program instead.
    virtual void LoadAndShow(int showCommand) = 0;
    // The window whose controls Tab and the arrow keys move between; null if it has none.
    virtual HWND KeyboardWindow() const = 0;
};

using WindowMaker = std::function<std::unique_ptr<ProgramWindow>(platform::Services& services,
                                                                 const platform::Layout& layout)>;

// A Win32 program's WinMain: its one window, made from the native layout, loaded and shown, then
// the message loop until the window goes. A failure nothing else caught gets the runtime's error
// box. Returns the exit code.
int RunProgram(platform::Services& services, int showCommand, const WindowMaker& makeWindow);

}  // namespace gui::win32
