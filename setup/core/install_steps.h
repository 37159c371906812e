#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/bundled_runtime.h"
#include "platform/layout.h"
#include "platform/services.h"
#include "record/install_record.h"
#include "setup/core/install_log.h"
#include "setup/core/payload_check.h"
#include "setup/core/transaction.h"

namespace setup {

// What "Begin Install" asks for: the window's state when it was pressed.
struct InstallRequest {
    std::string workingFolder;  // W: the installation files' folder
    std::string destination;    // D: the destination box's text
    bool desktopIcon = false;
    bool startMenu = false;
    bool programsMenu = false;
};

// A step that failed, with the text that names it to the user.
struct StepFailure {
    platform::RuntimeError error;
    std::string step;
    platform::ExitStatus status = platform::ExitStatus::Failure;
};

// What the install's steps share while they run, and what the failure route reports of them.
struct InstallContext {
    platform::Services& services;
    const platform::Layout& layout;
    const InstallRequest& request;
    const InstallLog& log;
    Transaction& transaction;

    bool madeApplicationFolder = false;  // which no failure removes, but Uninstall may
    std::string source{};                // S, once the launcher's copies are due
    std::string desktopTarget{};         // T1, once the user's places are known
    platform::UserPlaces targets{};
    std::vector<platform::BundledEntry> toolkit{};  // what the toolkit's folder holds
    PayloadCheck payload{};                         // the medium's list of its files
    std::vector<record::KeptFile> kept{};           // the user's files the install kept aside

    platform::FileSystem& Files() { return services.Files(); }
    std::string Join(const std::string& folder, std::string_view name) const {
        return layout.Join(folder, name);
    }

    // Runs one operation; its failure carries failureText to the failure box.
    template <typename Action>
    auto Step(const std::string& failureText, Action&& action) -> decltype(action()) {
        try {
            return action();
        } catch (const platform::RuntimeError& error) {
            throw StepFailure{error, failureText};
        }
    }
    void Log(const std::string& text) {
        Step("Could not write to the log " + log.Path() + ".", [&] { log.Append(text); });
    }
};

using InstallStep = std::function<void(InstallContext&)>;

// Everything "Begin Install" changes, in order, from the hand-over file to the uninstaller's
// entry, with the log lines between: each change made through the transaction, so that a failure
// at any of them takes every one back.
std::vector<InstallStep> InstallSteps(const InstallRequest& request,
                                      const platform::Layout& layout);

}  // namespace setup
