#include "setup/core/recovery.h"

#include <string>

#include "platform/runtime_error.h"
#include "setup/core/install_journal.h"
#include "setup/core/queries.h"

namespace setup {

namespace {

// Far more than 15 files' worth of paths.
constexpr std::size_t kLongestJournal = std::size_t{1} << 20;

bool IsThere(platform::FileSystem& files, const std::string& path) {
    return !path.empty() && FileExists(files, path) != FileExistsResult::NotThere;
}

bool EveryNewFileInPlace(platform::FileSystem& files, const JournalRecord& record) {
    if (record.commit.empty()) {
        return false;
    }
    for (const CommitEntry& entry : record.commit) {
        if (IsThere(files, entry.temporary)) {
            return false;
        }
    }
    return true;
}

void ForgetEarlierFiles(platform::FileSystem& files, const JournalRecord& record) {
    for (const CommitEntry& entry : record.commit) {
        if (!entry.aside.empty()) {
            files.RemoveFile(entry.aside);
        }
    }
    files.SyncFolder(record.destination);
}

// Last first, as the commit went. A new file still under its temporary name was not placed: its
// destination holds the earlier file, unless that was already moved aside.
void PutBackEarlierFiles(platform::FileSystem& files, const JournalRecord& record) {
    for (std::size_t i = record.commit.size(); i-- > 0;) {
        const CommitEntry& entry = record.commit[i];
        const bool placed = !IsThere(files, entry.temporary);
        const bool hadEarlier = !entry.aside.empty();
        if (hadEarlier && (placed || !IsThere(files, entry.destination))) {
            files.PutInPlace(entry.aside, entry.destination);
        } else if (hadEarlier) {
            files.RemoveFile(entry.aside);  // reserved, never used
        } else if (placed) {
            files.RemoveFile(entry.destination);
        }
        files.RemoveFile(entry.temporary);
    }
    if (IsThere(files, record.destination)) {
        files.SyncFolder(record.destination);
        files.RemovePartialFiles(record.destination);
    }
}

void PutBackHandover(platform::FileSystem& files, const platform::Layout& layout,
                     const JournalRecord& record) {
    if (record.earlier == JournalRecord::Earlier::Known) {
        files.ReplaceFile(layout.HandoverFile(), record.earlierHandover);
    } else {
        files.RemoveFile(layout.HandoverFile());
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

Recovery RecoverInterruptedInstall(platform::FileSystem& files, const platform::Layout& layout) {
    const std::string journal = layout.JournalFile();
    if (!IsThere(files, journal)) {
        return Recovery::NothingToDo;
    }
    const auto record =
        ParsedJournal(files.ReadPrefix(journal, kLongestJournal, platform::Links::Refuse));
    if (!record) {
        throw platform::RuntimeError(platform::error::kPathFileAccessError, journal);
    }
    Recovery recovery = Recovery::Finished;
    if (EveryNewFileInPlace(files, *record)) {
        ForgetEarlierFiles(files, *record);
    } else {
        PutBackEarlierFiles(files, *record);
        PutBackHandover(files, layout, *record);
        recovery = Recovery::PutBack;
    }
    files.RemoveFile(journal);
    files.SyncFolder(layout.applicationFolder);
    return recovery;
}

}  // namespace setup
