#include "uninstall/core/uninstaller.h"

#include <optional>
#include <utility>

#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/removal.h"
#include "record/install_record.h"
#include "record/owned_places.h"
#include "uninstall/core/protected_places.h"
#include "uninstall/core/removal.h"
#include "uninstall/core/report.h"

namespace uninstall {

namespace {

constexpr std::size_t kUserNameBuffer = 256;

constexpr const char* kNothingRemoved =
    " Uninstall cannot tell from it what the install placed, and removed nothing.";

// What the box says of a record that could not be read, and the line it names.
std::string UnreadableRecordText(const std::string& path, const platform::RuntimeError& error) {
    const std::string& place = error.Place();
    const std::string line = place.starts_with(path + ", ") ? place.substr(path.size() + 2) : "";
    switch (error.Number()) {
        case platform::error::kInputPastEndOfFile:
            return "The install record " + path + " is damaged: it is cut short at " + line + "." +
                   kNothingRemoved;
        case platform::error::kTypeMismatch:
            return "The install record " + path + " is damaged: " + line +
                   " is not as Setup writes it." + kNothingRemoved;
        case platform::error::kBadRecordLength:
            return "The install record " + path + " is damaged: it is larger than Setup writes." +
                   kNothingRemoved;
        default:
            break;
    }
    return "The install record " + place + " cannot be read: " + error.Description() +
           ". Nothing was removed.";
}

// Whoever else can change the record, or a folder above it, could make it name any file.
std::string UntrustedRecordText(const std::string& path, const platform::RuntimeError& error) {
    if (error.Why() != platform::Reason::OthersCanChange) {
        return "The install record " + path + " cannot be checked: " + error.Description() + " (" +
               error.Place() + "). Nothing was removed.";
    }
    const std::string what = error.Place() == path ? "it" : error.Place();
    const std::string who = error.Who().empty() ? "another user" : error.Who();
    return "The install record " + path + " was not used: " + what + " can be changed by " + who +
           ", who could have made it name any file. Nothing was removed. Once nobody but " +
           "its owner can change " + error.Place() + ", start Uninstall again.";
}

}  // namespace

Uninstaller::Uninstaller(platform::Services& services, platform::Layout layout)
    : services_(services), layout_(std::move(layout)) {}

void Uninstaller::Run() {
    // Before the record is read: a Setup that ended meanwhile may have rewritten it.
    std::unique_ptr<platform::FolderLock> lock = LockOrRefuse();
    const std::string path = layout_.RecordFile();
    RequireTrustedRecord(path);
    std::optional<record::InstallRecord> record;
    try {
        record = record::Read(services_.Files(), path);
    } catch (const platform::RuntimeError& error) {
        Refuse(UnreadableRecordText(path, error), platform::ExitStatus::Failure);
    }
    if (!record) {
        Refuse("There is no installation of Velmora_KZ 2.0.1 to remove: " + path + " is not there.",
               platform::ExitStatus::NothingToRemove);
    }
    if (record->scope != layout_.scope) {
        Refuse(record->scope == platform::Scope::Everyone
                   ? "This installation of Velmora_KZ 2.0.1 is for every user of this computer: "
                     "only an administrator can remove it."
                   : "This installation of Velmora_KZ 2.0.1 was made by a user for themselves: "
                     "only that user can remove it.",
               platform::ExitStatus::ImpossibleScope);
    }
    if (services_.AskYesNo(QuestionText(record->installFolders), kTitle) == platform::Answer::No) {
        services_.EndProgram(platform::ExitStatus::Declined);
    }
    // Looked at once the user said Yes: the application may have been started meanwhile.
    for (const auto& folder : record->installFolders) {
        if (const auto program = services_.ProgramRunningFrom(folder)) {
            Refuse("Velmora_KZ 2.0.1 is running from " + folder + " (" + *program +
                       "). Close it, then start Uninstall again. Nothing was removed.",
                   platform::ExitStatus::ApplicationRunning);
        }
    }
    const std::string userName = UserName();
    const ProtectedPlaces protectedPlaces(layout_, userName, platform::SystemFolders());
    const record::OwnedPlaces owned(layout_, userName, record->installFolders,
                                    record->createdFolders);
    const Outcome outcome =
        Removal(services_, layout_, protectedPlaces, owned, std::move(*record), std::move(lock))
            .Run();
    services_.ShowMessage(ReportText(outcome, layout_.applicationFolder + layout_.separator +
                                                  record::kUninstallerFile),
                          kTitle);
    services_.EndProgram(outcome.Failed() ? platform::ExitStatus::Failure
                                          : platform::ExitStatus::Success);
}

// Checked before a line of it is read; a record that is not there is said so by the reading.
void Uninstaller::RequireTrustedRecord(const std::string& path) {
    platform::FileSystem& files = services_.Files();
    try {
        if (files.FactsOf(path).kind == platform::EntryKind::None) {
            return;
        }
        files.RequireNobodyElseCanChange(path);
    } catch (const platform::RuntimeError& error) {
        Refuse(UntrustedRecordText(path, error), platform::ExitStatus::Failure);
    }
}

void Uninstaller::Refuse(const std::string& text, platform::ExitStatus status) {
    services_.ShowMessage(text, kTitle);
    services_.EndProgram(status);
}

// The lock Setup holds while it installs, held from before the record is read to the end: no
// removal while an install or another removal is under way, and no install while this one is.
// Another Uninstall runs from the application folder (on Windows, the original it waits in);
// Setup from its medium. A folder that cannot be locked at all is left to the removal, which
// names what it cannot remove.
std::unique_ptr<platform::FolderLock> Uninstaller::LockOrRefuse() {
    try {
        auto lock = services_.Files().TryLockFolder(layout_.applicationFolder);
        if (!lock) {
            const auto other = services_.ProgramRunningFrom(layout_.applicationFolder);
            const bool uninstalling = other && platform::PathKey(platform::NameOf(*other)) ==
                                                   platform::PathKey(record::kUninstallerFile);
            Refuse(uninstalling ? "Another Uninstall is removing Velmora_KZ 2.0.1 (" + *other +
                                      "): let it end. Nothing was removed."
                                : "Setup is installing Velmora_KZ 2.0.1: let it end, then start "
                                  "Uninstall again. Nothing was removed.",
                   platform::ExitStatus::AnotherRunning);
        }
        return lock;
    } catch (const platform::RuntimeError&) {
        return nullptr;
    }
}

// Without a name only the shared places and the system's own are known to protect.
std::string Uninstaller::UserName() const {
    try {
        return services_.LogonUserName(kUserNameBuffer);
    } catch (const platform::SystemCallFailed&) {
        return {};
    }
}

}  // namespace uninstall
