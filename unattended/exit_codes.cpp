#include "unattended/exit_codes.h"

#include <algorithm>
#include <iterator>

namespace unattended {

namespace {

using platform::ExitStatus;

// Windows: 1602, 1603, 1605, 1618, 1620 and 1639 are Windows Installer's own
// (ERROR_INSTALL_USEREXIT, ERROR_INSTALL_FAILURE, ERROR_UNKNOWN_PRODUCT,
// ERROR_INSTALL_ALREADY_RUNNING, ERROR_INSTALL_PACKAGE_INVALID, ERROR_INVALID_COMMAND_LINE); 32,
// 740 and 15613 the system's ERROR_SHARING_VIOLATION, ERROR_ELEVATION_REQUIRED and
// ERROR_INSTALL_PREREQUISITE_FAILED. Neither program ever needs a restart, so 3010 and 1641 are
// never returned.
constexpr ExitCode kTable[] = {
    {ExitStatus::Success, 0, 0, "success (also after help)", true, true},
    {ExitStatus::Failure, 1603, 1,
     "failed: Setup kept the earlier installation; Uninstall could not remove everything (its "
     "record lists what is left, for a second run)",
     true, true},
    {ExitStatus::BadCommandLine, 1639, 2, "unknown or malformed option: nothing was done", true,
     true},
    {ExitStatus::Cancelled, 1602, 3, "cancelled by the user (\"Cancel Install\")", true, false},
    {ExitStatus::Declined, 1602, 3, "cancelled by the user (No to the question)", false, true},
    {ExitStatus::AnotherRunning, 1618, 4,
     "another Setup or Uninstall is running: nothing was changed, try again later", true, true},
    {ExitStatus::JavaMissing, 15613, 5, "no Java runtime can be started: nothing was changed", true,
     false},
    {ExitStatus::ImpossibleScope, 740, 6,
     "the scope cannot be served by this account (for every user needs an administrator, on "
     "Linux root; an administrator installs and removes for every user only): nothing was "
     "changed",
     true, true},
    {ExitStatus::NothingToRemove, 1605, 7, "no installation to remove", false, true},
    {ExitStatus::ApplicationRunning, 32, 8,
     "Velmora_KZ 2.0.1 is running from an install folder: nothing was removed", false, true},
    {ExitStatus::DamagedMedium, 1620, 9,
     "the installation files are damaged (they differ from the medium's list of them): the "
     "earlier installation was kept; a new copy of the medium is needed",
     true, false},
};

int ClassicExitCodeOf(ExitStatus status) {
    return status == ExitStatus::Success || status == ExitStatus::Cancelled ? 0 : 1;
}

}  // namespace

std::span<const ExitCode> ExitCodeTable() {
    return kTable;
}

int ExitCodeOf(ExitStatus status, platform::System system) {
    const auto* row =
        std::find_if(std::begin(kTable), std::end(kTable),
                     [status](const ExitCode& code) { return code.status == status; });
    if (row == std::end(kTable)) {
        return ExitCodeOf(ExitStatus::Failure, system);
    }
    return system == platform::System::Windows ? row->windowsCode : row->linuxCode;
}

std::function<int(ExitStatus)> ExitCodesFor(platform::System system, bool withArguments) {
    if (!withArguments) {
        return ClassicExitCodeOf;
    }
    return [system](ExitStatus status) { return ExitCodeOf(status, system); };
}

}  // namespace unattended
