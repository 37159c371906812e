#include <string>
#include <vector>

#include "platform/layout.h"
#include "platform/platform.h"
#include "platform/self_removal.h"
#include "platform/system_services.h"
#include "platform/windows/windows_api.h"
#include "unattended/exit_codes.h"
#include "unattended/logged_boxes.h"
#include "unattended/program_start.h"
#include "uninstall/core/uninstall_command_line.h"

// No window of its own: the question, then the account of what was done, each in a box. Windows
// keeps a running program's file, so the program the user started hands the work to a copy of
// itself and ends with the exit code of the copy's work (platform/self_removal.h).
int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
    const std::vector<std::string> arguments = platform::ProgramArguments(0, nullptr);
    const auto exitCodes = unattended::ExitCodesFor(platform::ThisSystem(), !arguments.empty());
    platform::SystemServices services;
    services.SetExitCodes(exitCodes);
    return platform::RunHandler(services, [&]() -> int {
        const unattended::Options options =
            arguments.empty()
                ? unattended::Options{}
                : unattended::ReadOrEnd(unattended::Program::Uninstall, arguments, services);
        // A failure to hand over is said without a box when the run is silent.
        unattended::LoggedBoxes quiet(services, unattended::Boxes::Silent,
                                      [](const std::string&) {});
        platform::Services& handingOver =
            options.silent ? static_cast<platform::Services&>(quiet) : services;
        return platform::RunHandler(handingOver, [&]() -> int {
            if (const auto code = platform::RunInTemporaryCopy()) {
                return *code;
            }
            const auto copy = platform::ServicesOfTheCopy(services, exitCodes);
            uninstall::UninstallAsAsked(copy ? *copy : services, platform::NativeLayout(), options);
        });
    });
}
