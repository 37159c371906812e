#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace setup {

// One file of the commit: which complete new file replaces which, and where the earlier one is
// set aside meanwhile.
struct CommitEntry {
    std::string destination;
    std::string temporary;
    std::string aside;  // "" when there was no earlier file
};

// What a crash in the middle of an install must not lose: enough to put back the earlier
// installation and hand-over file, or to finish a commit whose new files are all in place.
struct JournalRecord {
    enum class Earlier { None, Known, Unknown };

    std::string destination;
    Earlier earlier = Earlier::None;  // the hand-over file before this install
    std::string earlierHandover;      // its bytes, when Known
    std::vector<CommitEntry> commit;  // empty until the commit begins
};

std::string Serialized(const JournalRecord& record);
// Nothing when the bytes are not a journal.
std::optional<JournalRecord> ParsedJournal(std::string_view in);

// The journal file of an install under way, made durable before each change it covers and
// removed when the install has ended, either way.
class InstallJournal {
public:
    InstallJournal(platform::FileSystem& files, std::string path, std::string folder);

    void Begin(JournalRecord record);
    void BeginCommit(std::vector<CommitEntry> commit);
    void End();

    bool Begun() const { return begun_; }
    const std::string& Path() const { return path_; }

private:
    void Write();

    platform::FileSystem& files_;
    std::string path_;
    std::string folder_;
    JournalRecord record_;
    bool begun_ = false;
};

}  // namespace setup
