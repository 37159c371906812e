#pragma once

#include <optional>
#include <string>

#include "platform/content_hash.h"
#include "platform/file_system.h"
#include "record/install_record.h"

namespace record {

// The file at path as it is now, to record; raises for anything but a plain file. Its contents
// are known by what wrote it, where that hashed them on the way (written), else by one read.
PlacedFile Identify(platform::FileSystem& files, const std::string& path,
                    const std::optional<platform::FileContents>& written = std::nullopt);

enum class FileState {
    Gone,      // nothing at its path
    AsPlaced,  // still the file Setup placed
    Changed,   // changed or replaced since, or not a plain file any more
};

// Whether the recorded file is still the one Setup placed: its kind, size, modification time
// and its contents as recorded. A file recorded without a hash is never taken for it.
FileState StateOf(platform::FileSystem& files, const PlacedFile& placed);

}  // namespace record
