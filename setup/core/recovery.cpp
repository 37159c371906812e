#include "setup/core/recovery.h"

#include "platform/runtime_error.h"
#include "setup/core/install_journal.h"
#include "setup/core/install_steps.h"
#include "setup/core/transaction.h"

namespace setup {

namespace {

// Far more than any install's changes.
constexpr std::size_t kLongestJournal = std::size_t{1} << 20;

Journal ReadJournal(platform::FileSystem& files, const std::string& path) {
    try {
        const std::string text =
            files.ReadPrefix(path, kLongestJournal + 1, platform::Links::Refuse);
        if (text.size() > kLongestJournal) {
            throw platform::RuntimeError(platform::error::kBadRecordLength, path);
        }
        return ParseJournal(text);
    } catch (const platform::RuntimeError& error) {
        const std::string where = error.Place() == path ? path : path + ", " + error.Place();
        throw StepFailure{platform::RuntimeError(error.Number(), where),
                          "The install journal " + where +
                              " is not as Setup wrote it, so Setup cannot tell what the "
                              "interrupted install changed, and changed nothing. What it set "
                              "aside is in the files named " +
                              platform::kPartialFilePrefix + "... beside its places."};
    }
}

// A temporary made just before its entry reached the journal is in none; with the journal
// settled, none left in these folders is anyone's.
void ClearWhatWasLeft(platform::FileSystem& files, const platform::Layout& layout,
                      const Journal& journal) {
    files.RemovePartialFiles(layout.applicationFolder);
    if (!journal.destination.empty() &&
        files.FactsOf(journal.destination).kind == platform::EntryKind::Folder) {
        files.RemovePartialFiles(journal.destination);
    }
}

}  // namespace

std::string LogLineFor(Recovery recovery) {
    switch (recovery) {
        case Recovery::PutBack:
            return "Restored the Installation That Was Interrupted";
        case Recovery::Finished:
            return "Completed the Installation That Was Interrupted";
        case Recovery::NothingToDo:
            break;
    }
    return {};
}

Recovery RecoverInterruptedInstall(platform::Services& services, const platform::Layout& layout) {
    platform::FileSystem& files = services.Files();
    const std::string path = layout.JournalFile();
    if (files.FactsOf(path).kind == platform::EntryKind::None) {
        return Recovery::NothingToDo;
    }
    Journal journal = ReadJournal(files, path);
    InstallJournal onDisk(files, path, layout.applicationFolder);
    const std::string step = "Could not put back the installation that was interrupted.";
    if (journal.phase == Phase::Forgetting) {
        ForgetAll(services, journal.changes);
    } else {
        journal.phase = Phase::Undoing;
        try {
            onDisk.Rewrite(journal);
        } catch (const platform::RuntimeError&) {
            // Said or not, the journal's direction is the same: back.
        }
        const std::vector<UndoFailure> failures = UndoAll(services, journal.changes);
        if (!failures.empty()) {
            throw StepFailure{failures.front().error,
                              step + "\r\n" + UndoFailureText(failures, path)};
        }
    }
    try {
        files.RemoveOneFile(path);
        files.SyncFolder(layout.applicationFolder);
        ClearWhatWasLeft(files, layout, journal);
    } catch (const platform::RuntimeError& error) {
        throw StepFailure{error, step};
    }
    return journal.phase == Phase::Forgetting ? Recovery::Finished : Recovery::PutBack;
}

}  // namespace setup
