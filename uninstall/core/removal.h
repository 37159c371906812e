#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/layout.h"
#include "platform/services.h"
#include "record/install_record.h"
#include "record/owned_places.h"
#include "uninstall/core/protected_places.h"

namespace uninstall {

// Why something the install made is still there.
enum class Why {
    Changed,      // a file changed or replaced since the install: the user's now
    NotEmpty,     // a folder that holds something the install did not put there
    Failed,       // the system refused to remove it
    Outside,      // the record names a place outside those the install owns
    ThroughLink,  // reached through a link (or a junction) put where the install made a folder
    StandsThere,  // the user's own file, kept by the install: a file of its name is at its place
};

struct KeptItem {
    std::string place;
    Why why;
    std::string detail;    // the folder's entries, the system's reason, or the link met
    std::string source{};  // the record's line that names it, for Outside and ThroughLink

    bool operator==(const KeptItem&) const = default;
};

struct Outcome {
    std::size_t filesRemoved = 0;
    std::size_t foldersRemoved = 0;
    std::size_t filesPutBack = 0;  // the user's own, kept by the install
    std::vector<KeptItem> kept;
    // What a second run still has to do; empty when nothing failed.
    record::InstallRecord left;

    bool Failed() const;
};

// Takes off the machine what the record says the installs placed and made, and nothing else: a
// file only while it is still the one placed, a folder only when the install made it, it is
// empty and it is not protected, deepest first. Each only inside a place the install owns, and
// reached from there without following a link; any other line is kept and named with its line.
// A file already gone counts as settled. The hand-over file goes when it names one of the
// record's install folders. The uninstaller itself (its program, its menu entry, its entry in the
// system's list) and the record go last, and only when nothing else failed, so that a second run
// can finish; otherwise the record is rewritten to list what is left.
class Removal {
public:
    // lock, the application folder's, is let go just before that folder goes: on Windows it is
    // a file in it.
    Removal(platform::Services& services, const platform::Layout& layout,
            const ProtectedPlaces& protectedPlaces, const record::OwnedPlaces& owned,
            record::InstallRecord record, std::unique_ptr<platform::FolderLock> lock = nullptr);

    Outcome Run();

private:
    bool IsUninstallerPiece(const record::PlacedFile& file) const;
    void RemoveFile(const record::PlacedFile& file);
    void PutBack(const record::KeptFile& kept);
    void RemoveHandover();
    void RemoveFolder(const std::string& folder);
    void RemoveUninstallEntry();
    void RefreshMenuCaches();
    void RemoveOrRewriteRecord();
    void Fail(const std::string& place, const platform::RuntimeError& error);
    // Kept for a reason of where it points, with the record's line that names it.
    void Refuse(const std::string& place, Why why, const std::string& link = {});
    // Whether this run removed it; a link met is kept and named. Gone is settled, not counted.
    bool Removed(const std::string& place, const platform::RemovalResult& result);
    bool HoldsWhatIsLeft(const std::string& folder) const;

    platform::Services& services_;
    platform::FileSystem& files_;
    const platform::Layout& layout_;
    const ProtectedPlaces& protected_;
    const record::OwnedPlaces& owned_;
    std::optional<std::string> recordText_;  // read again only to name a line
    record::InstallRecord record_;
    std::unique_ptr<platform::FolderLock> lock_;
    std::vector<std::string> removedFiles_;
    Outcome outcome_;
};

}  // namespace uninstall
