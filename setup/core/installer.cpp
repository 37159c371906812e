#include "setup/core/installer.h"

#include <string_view>
#include <utility>

#include "platform/platform.h"
#include "setup/core/install_checks.h"
#include "setup/core/queries.h"
#include "setup/core/recovery.h"

namespace setup {

namespace {

std::string FileStep(const std::string& file) {
    return "Could not write the file " + file + ".";
}

}  // namespace

Installer::Installer(platform::Services& services, const platform::Layout& layout, InstallLog log)
    : services_(services),
      layout_(layout),
      log_(std::move(log)),
      journal_(services.Files(), layout.JournalFile(), layout.applicationFolder),
      transaction_(services, journal_) {}

void Installer::Run(const InstallRequest& request) {
    request_ = request;
    context_.emplace(InstallContext{.services = services_,
                                    .layout = layout_,
                                    .request = request_,
                                    .log = log_,
                                    .transaction = transaction_});
    try {
        MainRoute();
    } catch (const StepFailure& failure) {
        FailureRoute(failure);
    }
    services_.EndProgram(platform::ExitStatus::Success);
}

void Installer::MainRoute() {
    InstallContext& context = *context_;
    context.Log("Created Install.log Successfully");
    CheckDestination();
    CheckGivenPlaces();
    CheckFollowable(layout_.applicationFolder);
    CheckFollowable(request_.destination);
    CheckFoldersAbove(request_.destination);
    MakeApplicationFolder();
    TakeLock();
    RecoverInterruptedInstall();
    ClearLeftovers();

    context.Step(FileStep(journal_.Path()), [this] { transaction_.Begin(request_.destination); });
    for (const InstallStep& step : InstallSteps(request_, layout_)) {
        step(context);
    }
    context.Step(FileStep(journal_.Path()), [this] { transaction_.Commit(); });
    context.Step("Could not show the end of the install.",
                 [this] { services_.ShowMessage(CompletionText(log_), "Finished"); });
}

// The launcher finds the folder again from one line of the hand-over file, read from another
// current folder: what it could not follow is refused before anything is written for it, and so
// is a folder too long for the names the install puts inside.
void Installer::CheckDestination() {
    const std::string& destination = request_.destination;
    const std::string step = destination.empty()
                                 ? std::string("Could not install: no install folder was given.")
                                 : "Could not install into the folder " + destination + ".";
    context_->Step(step, [this, &destination] {
        const bool oneLine =
            destination.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
        if (!platform::IsFullPath(destination) || !oneLine ||
            destination.size() > LongestDestination(layout_.separator)) {
            throw platform::RuntimeError(platform::error::kBadFileName, destination);
        }
    });
}

void Installer::CheckGivenPlaces() {
    platform::FileSystem& files = services_.Files();
    context_->Step(GivenPlacesStep(files, layout_, request_),
                   [&] { RequireGivenPlaces(files, layout_, request_); });
}

// Before anything is written: what the launcher would refuse to follow stops the install here.
// Taking group and other write from a folder of the user's own is not undone: it only closes it.
void Installer::CheckFollowable(const std::string& folder) {
    if (FileExists(services_.Files(), folder) == FileExistsResult::NotThere) {
        return;
    }
    try {
        MakeFollowable(services_.Files(), folder);
    } catch (const platform::RuntimeError& error) {
        throw StepFailure{error, FollowStep(folder, error)};
    }
}

void Installer::CheckFoldersAbove(const std::string& folder) {
    if (layout_.scope != platform::Scope::Everyone) {
        return;
    }
    try {
        RequireTrustedFoldersAbove(services_.Files(), folder);
    } catch (const platform::RuntimeError& error) {
        throw StepFailure{error, FollowStep(folder, error)};
    }
}

// The application folder holds the journal, so it is made before the journal begins, and no
// undo removes it: every install's hand-over file goes there. Only a failed install that made it
// takes it away again, at its end.
void Installer::MakeApplicationFolder() {
    const std::string& folder = layout_.applicationFolder;
    if (FileExists(services_.Files(), folder) != FileExistsResult::NotThere) {
        return;
    }
    context_->Step("Could not create the folder " + folder + ".",
                   [&] { services_.Files().CreateFolder(folder); });
    context_->madeApplicationFolder = true;
    context_->Log("Created Directory: " + folder + " Successfully");
}

// The lock is the application folder's, which holds the hand-over file: what keeps it from being
// taken keeps the hand-over file from being written.
void Installer::TakeLock() {
    const std::string& folder = layout_.applicationFolder;
    lock_ = context_->Step(FileStep(layout_.HandoverFile()),
                           [&] { return services_.Files().TryLockFolder(folder); });
    if (!lock_) {
        failureStatus_ = platform::ExitStatus::AnotherRunning;
        context_->Step(
            "Another Setup is installing Velmora_KZ 2.0.1: let it end, then run this one again.",
            [&] {
                throw platform::RuntimeError(platform::error::kPermissionDenied, folder, 0,
                                             platform::Reason::InUse);
            });
    }
}

// What a crash left half done is taken back, or finished, before anything new is written.
void Installer::RecoverInterruptedInstall() {
    const Recovery recovery = setup::RecoverInterruptedInstall(services_, layout_);
    if (recovery != Recovery::NothingToDo) {
        context_->Log(LogLineFor(recovery));
    }
}

// Temporaries an interrupted run left behind would otherwise stay for good. With the lock held
// and no journal left, none of them is anyone's.
void Installer::ClearLeftovers() {
    for (const std::string& folder : {layout_.applicationFolder, request_.destination}) {
        if (FileExists(services_.Files(), folder) != FileExistsResult::NotThere) {
            context_->Step("Could not remove what an interrupted install left in " + folder + ".",
                           [&] { services_.Files().RemovePartialFiles(folder); });
        }
    }
}

// A first install that failed leaves nothing behind: the application folder it made goes too,
// when empty. No later install would record it as made, so no Uninstall would take it. It goes
// with the lock still held where the lock holds no file in it; elsewhere (Windows) once the lock
// and its file are let go of, unless something came into it meanwhile.
void Installer::RemoveApplicationFolderMadeForNothing() {
    if (!context_->madeApplicationFolder || !lock_) {
        return;
    }
    platform::FileSystem& files = services_.Files();
    const std::string& folder = layout_.applicationFolder;
    const auto removedIfEmpty = [&] {
        if (!files.EntriesOf(folder).empty()) {
            return false;
        }
        files.RemoveEmptyFolder(folder);
        return true;
    };
    try {
        if (!removedIfEmpty()) {
            lock_.reset();
            removedIfEmpty();
        }
    } catch (const platform::RuntimeError&) {
        // Then it stays: empty, or another Setup's by now.
    }
}

// Every change is taken back first, so that the box shows only once the earlier installation is
// whole again, or names what could not be put back. Nothing here catches: an error while logging
// goes to the runtime's error box.
void Installer::FailureRoute(const StepFailure& failure) {
    const std::vector<UndoFailure> failures = transaction_.Undo();
    if (failures.empty()) {
        RemoveApplicationFolderMadeForNothing();
    }
    const std::string description = failure.error.Description();
    log_.Append("Error During Setup: " + description);
    log_.Append("Working Directory: " + request_.workingFolder);
    log_.Append("Source Directory: " + context_->source);
    log_.Append("Destination Directory: " + context_->desktopTarget);
    std::string text = "Error During Setup: " + description + "\r\n" + failure.step;
    if (!failures.empty()) {
        text += "\r\n" + UndoFailureText(failures, journal_.Path());
    }
    services_.ShowMessage(text + "\r\nSee " + log_.Path() + " for details.",
                          "Velmora_KZ 2.0.1 Setup");
    services_.EndProgram(failure.status != platform::ExitStatus::Failure ? failure.status
                                                                         : failureStatus_);
}

}  // namespace setup
