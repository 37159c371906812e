#include <memory>
#include <utility>

#include "gui/win32/program_entry.h"
#include "platform/platform.h"
#include "platform/system_services.h"
#include "setup/core/setup_command_line.h"
#include "setup/win32/setup_window.h"
#include "unattended/exit_codes.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int showCommand) {
    platform::SystemServices services;
    const std::vector<std::string> arguments = platform::ProgramArguments(0, nullptr);
    if (arguments.empty()) {
        return gui::win32::RunProgram(
            services, showCommand,
            [](platform::Services& services, const platform::Layout& layout) {
                return std::make_unique<setup::Win32Window>(services, layout);
            });
    }
    const auto exitCodes = unattended::ExitCodesFor(platform::ThisSystem(), true);
    services.SetExitCodes(exitCodes);
    return platform::RunHandler(services, [&] {
        return setup::RunWithArguments(
            services, arguments, platform::NativeLayout(), [&](const unattended::Options& options) {
                const int code = gui::win32::RunProgram(
                    services, showCommand,
                    [&options](platform::Services& services, const platform::Layout& layout) {
                        return std::make_unique<setup::Win32Window>(services, layout, options);
                    });
                // The window closed through the window system, before any install.
                return code == 0 ? exitCodes(platform::ExitStatus::Cancelled) : code;
            });
    });
}
