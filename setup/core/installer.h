#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/layout.h"
#include "platform/services.h"
#include "setup/core/install_journal.h"
#include "setup/core/install_log.h"
#include "setup/core/install_steps.h"
#include "setup/core/transaction.h"

namespace setup {

// The install, from "Begin Install" to the end of the program: the checks made before anything
// is written, the lock and the recovery of an interrupted install, then every step in one
// transaction, and the failure route that any failing step takes.
class Installer {
public:
    Installer(platform::Services& services, const platform::Layout& layout, InstallLog log);

    // Ends the program, after "Finished" or the failure route.
    [[noreturn]] void Run(const InstallRequest& request);

private:
    void MainRoute();
    void CheckDestination();
    void CheckGivenPlaces();
    void CheckFollowable(const std::string& folder);
    void CheckFoldersAbove(const std::string& folder);
    void MakeApplicationFolder();
    void TakeLock();
    void RecoverInterruptedInstall();
    void ClearLeftovers();
    [[noreturn]] void FailureRoute(const StepFailure& failure);
    void RemoveApplicationFolderMadeForNothing();

    platform::Services& services_;
    const platform::Layout& layout_;
    InstallLog log_;
    InstallRequest request_;

    // One install at a time from an application folder, held until the program ends.
    std::unique_ptr<platform::FolderLock> lock_;
    InstallJournal journal_;
    Transaction transaction_;
    std::optional<InstallContext> context_;
    platform::ExitStatus failureStatus_ = platform::ExitStatus::Failure;
};

}  // namespace setup
