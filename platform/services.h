#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/layout.h"
#include "platform/runtime_error.h"
#include "platform/uninstall_entry.h"

namespace platform {

// How a program ended. The number whoever started it sees comes from the table of exit codes
// (unattended/exit_codes.h); started without arguments, only Success and Cancelled end with 0.
enum class ExitStatus {
    Success,
    Failure,             // failed: what was there before is kept, or not all could be removed
    Cancelled,           // "Cancel Install"
    Declined,            // No to the uninstaller's question
    AnotherRunning,      // another Setup or Uninstall holds the application folder
    BadCommandLine,      // an unknown or malformed option: nothing was done
    ImpossibleScope,     // an install for a scope the running account cannot make, or remove
    JavaMissing,         // no Java runtime could be started
    NothingToRemove,     // no installation to uninstall
    ApplicationRunning,  // the application runs from an install folder: nothing was removed
    DamagedMedium,       // the installation files differ from the medium's list of them
};

enum class Answer { Yes, No };

// Every effect the programs have on the machine and the person at it besides what they read:
// starting a program, a message box, the end of the program, the clock, the user's name and the
// file services. The programs get the system's; tests get one that records what would have
// happened.
class Services {
public:
    Services() = default;
    Services(const Services&) = delete;
    Services& operator=(const Services&) = delete;
    virtual ~Services() = default;

    virtual FileSystem& Files() = 0;

    // Starts a program by bare name, hidden and detached, searching the running program's own
    // folder, then the current folder, then the search path. Returns the process id.
    virtual std::int64_t StartProgramHidden(const std::string& name) = 0;
    // Starts the program file name in folder, the folder the file services entered last, hidden
    // and detached, without any search. Returns the process id.
    virtual std::int64_t StartInstalledProgram(const std::string& folder,
                                               const std::string& name) = 0;

    // A modal message box with an OK button only.
    virtual void ShowMessage(const std::string& text, const std::string& title) = 0;

    // A modal question box with the buttons Yes and No, No the default.
    virtual Answer AskYesNo(const std::string& text, const std::string& title) = 0;

    // Runs a program from the search path with arguments, hidden, and waits for its exit status.
    virtual int RunProgramAndWait(const std::string& name,
                                  const std::vector<std::string>& arguments) = 0;

    // A program other than this one that runs from folder: its path.
    virtual std::optional<std::string> ProgramRunningFrom(const std::string& folder) = 0;

    // A line on the program's standard output or error, where it has one (a console, or output
    // redirected by whoever started it); nowhere else.
    virtual void WriteToConsole(Console stream, const std::string& line) = 0;

    // The entry of the system's list of installed programs (the Windows registry only).
    virtual void WriteUninstallEntry(Scope scope, const UninstallEntry& entry) = 0;
    virtual std::optional<UninstallEntry> ReadUninstallEntry(Scope scope) = 0;
    virtual void RemoveUninstallEntry(Scope scope) = 0;

    // Ends the program at once, running no unload code.
    [[noreturn]] void EndProgram(ExitStatus status) {
        End(status);
        // An ending that came back would let the caller run on as if it had ended.
        std::abort();
    }

    // The current local date and time as text in the user's regional format, to the second.
    virtual std::string LocalDateTimeText() = 0;

    // The logged-on user's name; fails with the system's error code (SystemCallFailed) when the
    // name cannot be had or does not fit a buffer of bufferSize characters with its terminator.
    virtual std::string LogonUserName(std::size_t bufferSize) = 0;

protected:
    // Ends the program, or throws where ending must not end the process; never returns.
    virtual void End(ExitStatus status) = 0;
};

// The runtime's error box for an error nothing caught, then the end of the program.
[[noreturn]] void ReportUnhandled(Services& services, const RuntimeError& error);

// Runs an event handler the way the runtime does: an error nothing caught is reported and ends
// the program. The window adapters and the program entries wrap everything they run in this.
template <typename Handler>
auto RunHandler(Services& services, Handler&& handler) -> decltype(handler()) {
    try {
        return handler();
    } catch (const EndOfProgram&) {
        throw;
    } catch (...) {
        ReportUnhandled(services, CurrentFailure());
    }
}

}  // namespace platform
