#include <memory>
#include <utility>

#include "platform/win32/program_entry.h"
#include "setup/win32/setup_window.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int showCommand) {
    return platform::win32::RunProgram(showCommand, [](platform::Layout layout) {
        return std::make_unique<setup::Win32Window>(std::move(layout));
    });
}
