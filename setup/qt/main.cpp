#include <memory>
#include <utility>

#include "gui/qt/desktop_accessibility_bus.h"
#include "gui/qt/font_configuration.h"
#include "gui/qt/program.h"
#include "platform/platform.h"
#include "platform/system_services.h"
#include "setup/core/setup_command_line.h"
#include "setup/qt/setup_window.h"
#include "unattended/exit_codes.h"

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments = platform::ProgramArguments(argc, argv);
    if (arguments.empty()) {
        const std::jthread fonts = gui::qt::ReadFontConfigurationAhead();
        return gui::qt::RunProgram(
            argc, argv,
            [](platform::Services& services, const platform::Layout& layout) {
                return std::make_unique<setup::SetupWindow>(services, layout);
            },
            gui::qt::ReachDesktopAccessibilityBus);
    }
    // Until a window is asked for there is no Qt: a silent install needs no display.
    const auto exitCodes = unattended::ExitCodesFor(platform::ThisSystem(), true);
    platform::SystemServices services;
    services.SetExitCodes(exitCodes);
    return platform::RunHandler(services, [&] {
        return setup::RunWithArguments(
            services, arguments, platform::NativeLayout(), [&](const unattended::Options& options) {
                const std::jthread fonts = gui::qt::ReadFontConfigurationAhead();
                // Qt reads no option of ours: it is given the program's name alone.
                int qtArgc = 1;
                const int code = gui::qt::RunProgram(
                    qtArgc, argv,
                    [&options](platform::Services& qtServices, const platform::Layout& layout) {
                        return std::make_unique<setup::SetupWindow>(qtServices, layout, options);
                    },
                    gui::qt::ReachDesktopAccessibilityBus, exitCodes);
                // The window closed through the window system, before any install.
                return code == 0 ? exitCodes(platform::ExitStatus::Cancelled) : code;
            });
    });
}
