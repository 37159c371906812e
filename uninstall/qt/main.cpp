#include <optional>
#include <string>
#include <vector>

#include <QApplication>

#include "gui/qt/desktop_accessibility_bus.h"
#include "gui/qt/program.h"
#include "platform/layout.h"
#include "platform/platform.h"
#include "platform/system_services.h"
#include "unattended/exit_codes.h"
#include "unattended/program_start.h"
#include "uninstall/core/uninstall_command_line.h"
#include "uninstall/core/uninstaller.h"

// No window of its own: the question, then the account of what was done, each in a box.
int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments = platform::ProgramArguments(argc, argv);
    std::optional<QApplication> application;
    gui::qt::QtServices services;
    if (arguments.empty()) {
        return platform::RunHandler(services, [&]() -> int {
            gui::qt::StartApplication(application, argc, argv,
                                      gui::qt::ReachDesktopAccessibilityBus);
            uninstall::Uninstaller(services, platform::NativeLayout()).Run();
        });
    }
    // Until a box is asked for there is no Qt: a silent removal needs no display.
    const auto exitCodes = unattended::ExitCodesFor(platform::ThisSystem(), true);
    platform::SystemServices plain;
    plain.SetExitCodes(exitCodes);
    services.SetExitCodes(exitCodes);
    return platform::RunHandler(plain, [&]() -> int {
        const unattended::Options options =
            unattended::ReadOrEnd(unattended::Program::Uninstall, arguments, plain);
        if (options.silent) {
            uninstall::UninstallAsAsked(plain, platform::NativeLayout(), options);
        }
        return platform::RunHandler(services, [&]() -> int {
            // Qt reads no option of ours: it is given the program's name alone.
            static int qtArgc = 1;
            gui::qt::StartApplication(application, qtArgc, argv,
                                      gui::qt::ReachDesktopAccessibilityBus);
            uninstall::UninstallAsAsked(services, platform::NativeLayout(), options);
        });
    });
}
