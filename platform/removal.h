#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What taking an install off the machine needs of the file system: what a path names, seen
// without following a link at it; one file or one empty folder removed, with the system's reason
// when it cannot be; a folder's entries. Failures raise a RuntimeError
// naming the path.
namespace platform {

enum class EntryKind { None, File, Folder, Other };  // Other: a link, a device, a pipe...

struct EntryFacts {
    EntryKind kind = EntryKind::None;
    std::int64_t size = 0;
    // The last change of its contents, in the system's own units (nanoseconds since 1970 on
    // POSIX, 100-nanosecond ticks since 1601 on Windows): only compared, never shown.
    std::int64_t modified = 0;

    bool operator==(const EntryFacts&) const = default;
};

// What is at path itself: a link is Other, never what it points to. None when nothing is there.
EntryFacts FactsOf(const std::string& path);

// Removes one file (never a folder). A file Windows marks read-only is refused, not forced: that
// mark is someone's wish to keep it.
void RemoveOneFile(const std::string& path);
// Removes a folder that holds nothing; fails on one that holds anything.
void RemoveEmptyFolder(const std::string& path);

// How a removal below a place ended.
enum class Reached {
    Removed,
    Gone,         // nothing was there, or nothing could be on the way to it
    ThroughLink,  // a name on the way, or its own, is a link (or a junction): nothing was removed
    NotEmpty,     // a folder that holds something
};
struct RemovalResult {
    Reached reached = Reached::Removed;
    std::string link;  // the link met, for ThroughLink

    bool operator==(const RemovalResult&) const = default;
};

// Remove one file, or one empty folder, reached from place one name at a time without following
// a link: place is opened as the system names it, every name below it must be a real folder, and
// the last is removed relative to the folder that holds it (never what a link there points to).
// names are the path's names below place (NamesBelow). Other failures raise a RuntimeError naming
// path.
RemovalResult RemoveFileBelow(const std::string& place, const std::vector<std::string>& names,
                              const std::string& path);
RemovalResult RemoveEmptyFolderBelow(const std::string& place,
                                     const std::vector<std::string>& names,
                                     const std::string& path);

// The names of everything in a folder, hidden ones included, in no particular order.
std::vector<std::string> EntriesOf(const std::string& folder);

// Folders of the system itself (its root, its program and user folders), which no uninstall
// removes, whatever its record says.
std::vector<std::string> SystemFolders();

}  // namespace platform
