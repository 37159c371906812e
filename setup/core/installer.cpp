#include "setup/core/installer.h"

#include <string_view>
#include <utility>
#include <vector>

#include "handover/handover.h"
#include "platform/bundled_runtime.h"
#include "platform/platform.h"
#include "setup/core/all_or_nothing_copy.h"
#include "setup/core/desktop_entry.h"
#include "setup/core/install_checks.h"
#include "setup/core/install_record_steps.h"
#include "setup/core/installation_files.h"
#include "setup/core/menu_icon.h"
#include "setup/core/queries.h"
#include "setup/core/recovery.h"

namespace setup {

namespace {

std::string CopyStep(const std::string& source, const std::string& destination) {
    return "Could not copy " + source + " to " + destination + ".";
}

std::string FolderStep(const std::string& folder) {
    return "Could not create the folder " + folder + ".";
}

std::string FileStep(const std::string& file) {
    return "Could not write the file " + file + ".";
}

}  // namespace

struct Installer::StepFailure {
    platform::RuntimeError error;
    std::string step;
};

Installer::Installer(platform::Services& services, const platform::Layout& layout, InstallLog log)
    : services_(services),
      placements_(services.Files()),
      files_(placements_),
      layout_(layout),
      log_(std::move(log)),
      journal_(services.Files(), layout.JournalFile(), layout.applicationFolder) {}

template <typename Action>
auto Installer::Step(const std::string& failureText, Action&& action) -> decltype(action()) {
    try {
        return action();
    } catch (const platform::RuntimeError& error) {
        throw StepFailure{error, failureText};
    }
}

void Installer::Run(const InstallRequest& request) {
    request_ = request;
    try {
        MainRoute();
    } catch (const StepFailure& failure) {
        FailureRoute(failure.error, failure.step);
    }
    services_.EndProgram(platform::ExitStatus::Success);
}

void Installer::MainRoute() {
    const std::string& destination = request_.destination;
    Log("Created Install.log Successfully");
    CheckDestination();
    Step(GivenPlacesStep(files_, layout_, request_),
         [this] { RequireGivenPlaces(files_, layout_, request_); });
    CheckFollowable(layout_.applicationFolder);
    CheckFollowable(destination);

    const std::string& applicationFolder = layout_.applicationFolder;
    if (FileExists(files_, applicationFolder) == FileExistsResult::NotThere) {
        CreateFolder(applicationFolder);
        Log("Created Directory: " + applicationFolder + " Successfully");
    }
    TakeLock();
    RecoverInterruptedInstall();
    BeginJournal();
    WriteHandover();
    // The log has always named the hand-over file "Startup.txt".
    Log("Created " + Join(applicationFolder, "Startup.txt") + " Successfully");

    source_ = Join(request_.workingFolder, kLauncherFile);
    const std::string userName = Step("Could not get the name of the current user.",
                                      [this] { return GetCurrentUserName(services_); });
    Log("Current User Name " + userName);

    const platform::UserPlaces targets = ShortcutTargets(userName);
    desktopTarget_ = Join(targets.desktop, kLauncherFile);
    if (request_.desktopIcon) {
        Log("Creating Desktop Icon");
        PlaceShortcut(targets.desktop);
    }
    if (request_.startMenu) {
        Log("Creating Start Menu Shortcut");
        PlaceShortcut(targets.startMenu);
        if (layout_.startMenuNeedsDesktopEntry) {
            WriteMenuIcon(targets.iconTheme);
            WriteDesktopEntry(targets.startMenu);
        }
    }
    if (request_.programsMenu) {
        Log("Creating Program Menu Shortcut Icon");
        PlaceShortcut(targets.programs);
        if (layout_.programsMenuNeedsShortcut) {
            WriteStartMenuShortcut(targets.programs);
        }
    }

    if (FileExists(files_, destination) == FileExistsResult::NotThere) {
        CreateFolder(destination);
        Log("Created Directory: " + destination + " Successfully");
    }
    if (destination != request_.workingFolder) {
        CopyApplicationFiles();
        Log("Copied Installation Files Successfully");
    }
    CopyWindowToolkit();
    for (const auto& step : FinishingSteps(services_, layout_, request_, placements_)) {
        Step(step.failureText, step.action);
    }
    Step(FileStep(journal_.Path()), [this] { journal_.End(); });
    Step("Could not show the end of the install.", [this] {
        services_.ShowMessage("Velmora_KZ 2.0.1 Installation is Complete", "Finished");
    });
}

void Installer::Log(const std::string& text) {
    Step("Could not write to the log " + log_.Path() + ".", [&] { log_.Append(text); });
}

// The launcher finds the folder again from one line of the hand-over file, read from another
// current folder: what it could not follow is refused before anything is written for it, and so
// is a folder too long for the names the install puts inside.
void Installer::CheckDestination() {
    const std::string& destination = request_.destination;
    const std::string step = destination.empty()
                                 ? std::string("Could not install: no install folder was given.")
                                 : "Could not install into the folder " + destination + ".";
    Step(step, [this, &destination] {
        const bool oneLine =
            destination.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
        if (!platform::IsFullPath(destination) || !oneLine ||
            destination.size() > LongestDestination(layout_.separator)) {
            throw platform::RuntimeError(platform::error::kBadFileName, destination);
        }
    });
}

// Before anything is written: what the launcher would refuse to follow stops the install here.
void Installer::CheckFollowable(const std::string& folder) {
    if (FileExists(files_, folder) == FileExistsResult::NotThere) {
        return;
    }
    try {
        MakeFollowable(files_, folder);
    } catch (const platform::RuntimeError& error) {
        throw StepFailure{error, FollowStep(folder, error)};
    }
}

void Installer::CreateFolder(const std::string& folder) {
    Step(FolderStep(folder), [&] { files_.CreateFolder(folder); });
}

// The lock is the application folder's, which holds the hand-over file: what keeps it from being
// taken keeps the hand-over file from being written.
void Installer::TakeLock() {
    const std::string& folder = layout_.applicationFolder;
    lock_ = Step(FileStep(layout_.HandoverFile()),
                 [&] { return services_.Files().TryLockFolder(folder); });
    if (!lock_) {
        Step("Another Setup is installing Velmora_KZ 2.0.1: let it end, then run this one again.",
             [&] {
                 throw platform::RuntimeError(platform::error::kPermissionDenied, folder, 0,
                                              platform::Reason::InUse);
             });
    }
}

// What a crash left half done is put back, or finished, before anything new is written.
void Installer::RecoverInterruptedInstall() {
    const Recovery recovery = Step(
        "Could not put back the installation that was interrupted: see " + journal_.Path() + ".",
        [this] { return setup::RecoverInterruptedInstall(services_.Files(), layout_); });
    if (recovery != Recovery::NothingToDo) {
        Log(LogLineFor(recovery));
    }
}

// Only a plain file of at most one path and its line end is the launcher's record; anything else
// (a link, a FIFO, a huge file) is not put back, and no failed install leaves a record behind.
void Installer::BeginJournal() {
    const std::string path = layout_.HandoverFile();
    const std::size_t longest = platform::MaxPathLength() + 2;
    if (FileExists(files_, path) != FileExistsResult::NotThere) {
        earlier_ = JournalRecord::Earlier::Unknown;
        try {
            if (static_cast<std::size_t>(files_.FileLength(path)) <= longest) {
                earlierHandover_ = files_.ReadPrefix(path, longest, platform::Links::Refuse);
                earlier_ = JournalRecord::Earlier::Known;
            }
        } catch (const platform::RuntimeError&) {
        }
    }
    Step(FileStep(journal_.Path()), [this] {
        journal_.Begin({.destination = request_.destination,
                        .earlier = earlier_,
                        .earlierHandover = earlierHandover_,
                        .commit = {}});
    });
}

void Installer::WriteHandover() {
    const std::string path = layout_.HandoverFile();
    Step(FileStep(path), [&] {
        handover::Write(files_, path, request_.destination);
        handoverWritten_ = true;
    });
}

platform::UserPlaces Installer::ShortcutTargets(const std::string& userName) {
    platform::UserPlaces places = layout_.PlacesOf(userName);
    if (FileExists(files_, places.profile) == FileExistsResult::NotThere) {
        return layout_.sharedPlaces;
    }
    return places;
}

void Installer::PlaceShortcut(const std::string& folder) {
    if (layout_.createsMissingTargetFolders) {
        Step(FolderStep(folder), [&] { files_.CreateFolderTree(folder); });
    }
    const std::string target = Join(folder, kLauncherFile);
    Step(CopyStep(source_, target), [&] { files_.CopyFile(source_, target); });
}

// Pointing at the Programs copy, started in the install folder.
void Installer::WriteStartMenuShortcut(const std::string& folder) {
    const std::string link = Join(folder, kStartMenuShortcut);
    const std::string program = Join(folder, kLauncherFile);
    Step(FileStep(link), [&] {
        files_.WriteShortcut(
            link, {.target = program, .workingFolder = request_.destination, .icon = program});
    });
}

void Installer::WriteDesktopEntry(const std::string& folder) {
    const std::string entry = Join(folder, kDesktopEntryName);
    Step(FileStep(entry),
         [&] { files_.ReplaceFile(entry, DesktopEntryFor(Join(folder, kLauncherFile))); });
}

// The entry names its icon; menus look it up in the theme by that name, at the size they need.
void Installer::WriteMenuIcon(const std::string& iconTheme) {
    for (std::size_t i = 0; i < kMenuIconSizes.size(); ++i) {
        const std::string size = std::to_string(kMenuIconSizes[i]);
        const std::string folder = Join(Join(iconTheme, size + "x" + size), "apps");
        Step(FolderStep(folder), [&] { files_.CreateFolderTree(folder); });
        const std::string icon = Join(folder, std::string(kMenuIconName) + ".png");
        Step(FileStep(icon), [&] { files_.ReplaceFile(icon, std::string(kMenuIconImages[i])); });
    }
}

// Sources are bare names: the current folder is still the working folder. A failure leaves the
// destination as it was, so that an earlier installation there still runs.
void Installer::CopyApplicationFiles() {
    const std::string& destination = request_.destination;
    std::vector<FileToCopy> list;
    list.reserve(kInstallationFiles.size());
    for (const auto name : kInstallationFiles) {
        list.push_back({std::string(name), Join(destination, std::string(name))});
    }
    AllOrNothingCopy copy(
        files_, destination, std::move(list),
        [this](std::vector<CommitEntry> commit) { journal_.BeginCommit(std::move(commit)); });
    try {
        copy.Run();
    } catch (const platform::RuntimeError& error) {
        const FileToCopy* failed = copy.FailedFile();
        throw StepFailure{error, failed != nullptr ? CopyStep(failed->source, failed->destination)
                                                   : "Could not copy the installation files to " +
                                                         destination + "."};
    }
}

// Where the medium carries the window toolkit (on desktops without Qt), every launcher copy finds
// it in the application folder it follows.
void Installer::CopyWindowToolkit() {
    const std::string& folder = layout_.applicationFolder;
    Step("Could not copy the window toolkit to " + Join(folder, platform::kBundledRuntimeFolder) +
             ".",
         [&] {
             toolkitPlaced_ = platform::CopyBundledRuntime(files_, request_.workingFolder, folder);
         });
}

// Nothing here catches: an error while logging the failure or putting the hand-over file back
// goes to the runtime's error box.
void Installer::FailureRoute(const platform::RuntimeError& error, const std::string& step) {
    const std::string& description = error.Description();
    log_.Append("Error During Setup: " + description);
    log_.Append("Working Directory: " + request_.workingFolder);
    log_.Append("Source Directory: " + source_);
    log_.Append("Destination Directory: " + desktopTarget_);
    if (handoverWritten_) {
        RestoreHandover();
    }
    journal_.End();
    services_.ShowMessage("Error During Setup: " + description + "\r\n" + step + "\r\nSee " +
                              log_.Path() + " for details.",
                          "Velmora_KZ 2.0.1 Setup");
    services_.EndProgram(platform::ExitStatus::Failure);
}

void Installer::RestoreHandover() {
    if (earlier_ == JournalRecord::Earlier::Known) {
        files_.ReplaceFile(layout_.HandoverFile(), earlierHandover_);
    } else {
        files_.RemoveFile(layout_.HandoverFile());
    }
}

std::string Installer::Join(const std::string& folder, const std::string& name) const {
    return folder + layout_.separator + name;
}

}  // namespace setup
