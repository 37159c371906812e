#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime_error.h"
#include "platform/services.h"
#include "setup/core/change.h"
#include "setup/core/install_journal.h"

namespace setup {

// A change that could not be taken back, and where what it replaced is kept now.
struct UndoFailure {
    Change change;
    platform::RuntimeError error;
    std::string keptAt;  // "" when it kept nothing
};

// Takes back changes, last first, each whether it was made wholly, partly or not at all; one that
// cannot be taken back is reported and the others still are.
std::vector<UndoFailure> UndoAll(platform::Services& services, const std::vector<Change>& changes);
// Lets go of what the changes kept aside. What cannot be removed is left for the next install's
// clean-up: the installation is whole either way.
void ForgetAll(platform::Services& services, const std::vector<Change>& changes);
// The box's account of what could not be taken back: where each earlier file is now, and the
// journal that keeps the rest for the next start.
std::string UndoFailureText(const std::vector<UndoFailure>& failures, const std::string& journal);

// Whether a placed file takes the place of what is there, or keeps it aside until the install is
// whole.
enum class Earlier { Keep, Replace };

// A new file for path: written by write, under a name of its own beside path, then moved there.
// Write says what it wrote, where it hashed it on the way.
struct Placement {
    std::string path;
    std::function<std::optional<platform::FileContents>(
        platform::FileSystem& files, const std::string& temporary, const std::string& path)>
        write;
    Earlier earlier = Earlier::Keep;
};
// A copy's contents are shown to check as soon as they are written, before anything is moved in;
// check may raise to end the placement there.
using CopyCheck = std::function<void(const std::string& source, const platform::FileContents&)>;
Placement CopyOf(const std::string& source, const std::string& path, CopyCheck check = {});
Placement TextAt(const std::string& path, const std::string& contents,
                 Earlier earlier = Earlier::Keep);
Placement ShortcutAt(const std::string& path, const platform::Shortcut& shortcut);

// An install's changes as one: each is journalled, with the names of the new file and of the
// earlier one's place aside, and on the disk, before anything of it is made; Commit lets go of
// what they replaced once the last is made, and Undo takes every one back. Until one of them,
// what each place held is kept.
class Transaction {
public:
    Transaction(platform::Services& services, InstallJournal& journal);

    void Begin(const std::string& destination);

    // One folder, whose parent must be there.
    void MakeFolder(const std::string& path);
    // Each missing folder on the way to path, and path.
    void MakeMissingFolders(const std::string& path);
    void Place(const Placement& placement);
    // All at once: one journal entry for the lot, then each written, then each moved in, in
    // order; beforeEach is told which one is next, so that a failure can be named.
    void Place(const std::vector<Placement>& placements,
               const std::function<void(std::size_t)>& beforeEach = {});
    // A whole folder, filled by fill in a new folder beside path and then moved there in one
    // move, what was at path kept aside.
    void PlaceTree(const std::string& path, const std::function<void(const std::string&)>& fill);
    void SetUninstallEntry(platform::Scope scope, const platform::UninstallEntry& entry);
    // The file at path moved to keptAt, which nothing holds, to stay there once the install is
    // whole.
    void Keep(const std::string& path, const std::string& keptAt);

    const std::vector<Change>& Changes() const { return changes_; }
    // What each file placed holds, where its writing hashed it.
    const std::map<std::string, platform::FileContents>& Written() const { return written_; }

    // Every change made: what they replaced is let go of, and the journal goes.
    void Commit();
    // Takes every change back and, when all came back, removes the journal; otherwise the journal
    // stays, for the next start to go on with. Nothing once Commit has begun letting go.
    std::vector<UndoFailure> Undo();

private:
    void Record(const std::vector<Change>& changes);
    void MakeDurable();
    bool IsThere(const std::string& path);
    std::string AsideFor(const std::string& path, Earlier earlier);

    platform::Services& services_;
    platform::FileSystem& files_;
    InstallJournal& journal_;
    std::vector<Change> changes_;
    std::map<std::string, platform::FileContents> written_;
    bool forgetting_ = false;
};

}  // namespace setup
