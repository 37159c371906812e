#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/layout.h"
#include "platform/services.h"
#include "setup/core/install_journal.h"
#include "setup/core/install_log.h"
#include "setup/core/placement_recorder.h"

namespace setup {

// What "Begin Install" asks for: the window's state when it was pressed.
struct InstallRequest {
    std::string workingFolder;  // W: the installation files' folder
    std::string destination;    // D: the destination box's text
    bool desktopIcon = false;
    bool startMenu = false;
    bool programsMenu = false;
};

// The install, from "Begin Install" to the end of the program: its steps in order, each with the
// text that names it to the user when it fails, and the failure route that any failing step
// takes.
class Installer {
public:
    Installer(platform::Services& services, const platform::Layout& layout, InstallLog log);

    // Ends the program, after "Finished" or the failure route.
    [[noreturn]] void Run(const InstallRequest& request);

private:
    struct StepFailure;

    // Runs one operation of the install; its failure carries failureText to the failure box.
    template <typename Action>
    auto Step(const std::string& failureText, Action&& action) -> decltype(action());

    void MainRoute();
    void Log(const std::string& text);
    void CheckDestination();
    void CheckFollowable(const std::string& folder);
    void CreateFolder(const std::string& folder);
    void TakeLock();
    void RecoverInterruptedInstall();
    void BeginJournal();
    void WriteHandover();
    platform::UserPlaces ShortcutTargets(const std::string& userName);
    void PlaceShortcut(const std::string& folder);
    void WriteStartMenuShortcut(const std::string& folder);
    void WriteMenuIcon(const std::string& iconTheme);
    void WriteDesktopEntry(const std::string& folder);
    void CopyApplicationFiles();
    void CopyWindowToolkit();
    [[noreturn]] void FailureRoute(const platform::RuntimeError& error, const std::string& step);
    void RestoreHandover();
    std::string Join(const std::string& folder, const std::string& name) const;

    platform::Services& services_;
    PlacementRecorder placements_;  // what this install placed and made, for its record
    platform::FileSystem& files_;
    const platform::Layout& layout_;
    InstallLog log_;
    InstallRequest request_;

    // One install at a time from an application folder, held until the program ends.
    std::unique_ptr<platform::FolderLock> lock_;
    InstallJournal journal_;

    // What the failure route reports and puts back, filled in as the install goes.
    std::string source_;         // S
    std::string desktopTarget_;  // T1
    bool handoverWritten_ = false;
    std::vector<std::string> toolkitPlaced_;  // each folder before what it holds
    // The hand-over file as it was before this install wrote it, put back when the install fails
    // so that the launcher keeps finding the installation that worked.
    JournalRecord::Earlier earlier_ = JournalRecord::Earlier::None;
    std::string earlierHandover_;
};

}  // namespace setup
