#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "setup/core/change.h"

namespace setup {

// Which way an install is going: making its changes, taking them back, or, once every change is
// made, letting go of what they replaced. A crash is recovered in the same direction.
enum class Phase { Doing, Undoing, Forgetting };

struct Journal {
    std::string destination;  // D, where what an interrupted run left is cleared afterwards
    Phase phase = Phase::Doing;
    std::vector<Change> changes;  // in the order they were made

    bool operator==(const Journal&) const = default;
};

// The journal's text: the record's lines, each after the XXH3 sum of its text chained from the
// line before, so that a line cut short or changed is seen. An entry is appended whole and made
// durable before the change it covers, so a last line that a crash cut short covers no change
// and is left out; any other broken line makes the journal damaged.
std::string FormatJournal(const Journal& journal);
// Raises "Type mismatch" (13) naming the first line that is not as Setup wrote it.
Journal ParseJournal(std::string_view text);

// The journal file of an install under way, in the application folder. While it is there the
// launcher refuses to start, and the next Setup recovers what it describes.
class InstallJournal {
public:
    InstallJournal(platform::FileSystem& files, std::string path, std::string folder);

    // Made new, with its phase Doing, and on the disk with its name.
    void Begin(const std::string& destination);
    // Each entry is on the disk before it returns, so the changes may begin.
    void Add(const std::vector<Change>& changes);
    void Add(const Change& change) { Add(std::vector<Change>{change}); }
    void SetPhase(Phase phase);
    // Takes over a journal read back after a crash, written again whole in phase: a last entry
    // a crash cut short is gone from it.
    void Rewrite(const Journal& journal);
    // Removed once the outcome is settled, and the removal made durable.
    void End();

    bool Begun() const { return begun_; }
    const std::string& Path() const { return path_; }

private:
    void Append(const std::vector<std::string>& texts);

    platform::FileSystem& files_;
    std::string path_;
    std::string folder_;
    std::uint64_t chain_ = 0;
    bool begun_ = false;
};

}  // namespace setup
