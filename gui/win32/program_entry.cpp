#include "gui/win32/program_entry.h"

#include "gui/win32/gui.h"
#include "platform/runtime_error.h"

namespace gui::win32 {

int RunProgram(platform::Services& services, int showCommand, const WindowMaker& makeWindow) {
    return platform::RunHandler(services, [&services, showCommand, &makeWindow] {
        const std::unique_ptr<ProgramWindow> window =
            makeWindow(services, platform::NativeLayout());
        window->LoadAndShow(showCommand);
        return RunMessageLoop(window->KeyboardWindow());
    });
}

}  // namespace gui::win32
