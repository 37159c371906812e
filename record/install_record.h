#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/content_hash.h"

#include "platform/file_system.h"
#include "platform/layout.h"

// The install record: what Setup placed and made, kept in the application folder beside the
// hand-over file, so that Uninstall can take off exactly that and nothing of the user's.
namespace record {

// The uninstaller's program in the application folder, and on Linux its menu entry beside the
// launcher's: kept until everything else is gone, so that a second run can finish the job.
inline constexpr const char* kUninstallerFile = "Uninstall.exe";
inline constexpr const char* kUninstallEntryName = "Uninstall_Velmora_KZ.2.0.1.desktop";

// A record larger than this is not read: a thousand installs' worth of paths.
inline constexpr std::size_t kMaxRecordBytes = std::size_t{4} << 20;

// No medium holds a larger file than the largest the common file systems do (16 TiB): a record
// naming more is not as Setup wrote it.
inline constexpr std::int64_t kLargestPlacedFile = std::int64_t{1} << 44;

// Records of the first format hashed only the files up to this size.
inline constexpr std::int64_t kEarlierHashedSizeLimit = std::int64_t{1} << 20;

// What a placed file's bytes are known by.
struct NoHash {  // nothing: such a file is never taken for the one Setup placed
    bool operator==(const NoHash&) const = default;
};
struct SizeAndTime {  // a larger file of a first-format record: its size and time alone
    bool operator==(const SizeAndTime&) const = default;
};
struct EarlierHash {  // a first-format record's XXH64 (record/content_hash.h)
    std::uint64_t xxh64 = 0;
    bool operator==(const EarlierHash&) const = default;
};
using KnownContents = std::variant<NoHash, SizeAndTime, EarlierHash, platform::ContentHash>;

// A file as Setup left it: what tells later whether it is still that file.
struct PlacedFile {
    std::string path;
    std::int64_t size = 0;
    std::int64_t modified = 0;  // in the system's units (platform::EntryFacts)
    KnownContents contents{};   // XXH3-128 of its bytes, computed as it was copied or written

    bool operator==(const PlacedFile&) const = default;
};

// A file of the user's that an install replaced in its install folder, kept in the application
// folder for Uninstall to put back.
struct KeptFile {
    std::string path;    // where it was
    std::string keptAt;  // where it is kept

    bool operator==(const KeptFile&) const = default;
};

struct InstallRecord {
    platform::Scope scope = platform::Scope::ThisUser;
    // Every install folder installed into from this application folder, as typed.
    std::vector<std::string> installFolders;
    std::vector<std::string> createdFolders;  // each folder Setup made, in the order it made them
    std::vector<PlacedFile> files;
    std::vector<KeptFile> kept{};

    bool operator==(const InstallRecord&) const = default;
};

// One line a fact, CR LF ended, the path last and the few bytes that would break a line escaped
// as %XX:
//   Velmora_KZ 2.0.1 install record 2
//   scope user|everyone
//   install <path>
//   folder <path>
//   file <size> <modified> <contents> <path>
//   kept <path, its blanks escaped too> <where it is kept>
//   end
// where contents is the XXH3-128 in 32 hex digits, "-" for none, and for a file an earlier record
// listed, "xxh64:" and its 16 hex digits, or "size-and-time".
std::string Format(const InstallRecord& record);
// Raises "Type mismatch" (13) for text that is not a record, naming the line that is not, and
// "Input past end of file" (62) for one cut short, naming the line that is missing or has no line
// end. Reads
// the first format too: "file <size> <modified> <XXH64 in hex, or -> <path>", a "-" known by its
// size and time only where the file was too large for that format to hash.
InstallRecord Parse(std::string_view text);

// What a later install into the same application folder adds: its install folder, the folders
// it made and the files it placed; a file placed again is known by its new facts.
void Merge(InstallRecord& earlier, const InstallRecord& later);

// Written whole under a temporary name beside path, then renamed over it.
void Write(platform::FileSystem& files, const std::string& path, const InstallRecord& record);
// The record at path, read as a plain file without following a link; nothing when there is none.
// Raises "Bad record length" (59) for one past kMaxRecordBytes, and the parse's error, naming
// path.
std::optional<InstallRecord> Read(platform::FileSystem& files, const std::string& path);

}  // namespace record
