#pragma once

#include <functional>
#include <span>
#include <string_view>

#include "platform/platform.h"
#include "platform/services.h"
#include "unattended/command_line.h"

// The one table of exit codes, for both programs and both systems. On Windows the codes
// deployment tools know from Windows Installer and the system's own error codes; on Linux, where
// a status is 0 to 255, a small number for each case. A program started without arguments keeps
// the statuses it always ended with: 0 for Success and Cancelled, 1 for any other.
namespace unattended {

struct ExitCode {
    platform::ExitStatus status;
    int windowsCode;
    int linuxCode;
    std::string_view meaning;
    bool setup;      // Setup can end so
    bool uninstall;  // Uninstall can end so
};

std::span<const ExitCode> ExitCodeTable();

int ExitCodeOf(platform::ExitStatus status, platform::System system);

// The exit code of each status: the table's for the system when the program was given arguments,
// else the statuses it always had.
std::function<int(platform::ExitStatus)> ExitCodesFor(platform::System system, bool withArguments);

}  // namespace unattended
