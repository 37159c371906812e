#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"
#include "record/install_record.h"

namespace record {

// Files up to this size get a content hash: reading them back once more after the install costs
// nothing measurable (docs/performance.md); a larger one is known by its size and time alone.
inline constexpr std::int64_t kHashedSizeLimit = std::int64_t{1} << 20;

// The file at path as it is now, to record; raises for anything but a plain file.
PlacedFile Identify(platform::FileSystem& files, const std::string& path);

enum class FileState {
    Gone,      // nothing at its path
    AsPlaced,  // still the file Setup placed
    Changed,   // changed or replaced since, or not a plain file any more
};

// Whether the recorded file is still the one Setup placed: its kind, size, modification time
// and, where recorded, its contents' hash all as they were.
FileState StateOf(platform::FileSystem& files, const PlacedFile& placed);

}  // namespace record
