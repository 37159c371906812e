#include "platform/win32/program_entry.h"

#include "platform/runtime_error.h"
#include "platform/win32/gui.h"

namespace platform::win32 {

int RunProgram(int showCommand, const WindowMaker& makeWindow) {
    return RunHandler([showCommand, &makeWindow] {
        const std::unique_ptr<ProgramWindow> window = makeWindow(NativeLayout());
        window->LoadAndShow(showCommand);
        return RunMessageLoop(window->KeyboardWindow());
    });
}

}  // namespace platform::win32
