#pragma once

#include <cstdint>
#include <string>

#include "platform/services.h"

namespace setup {

// What FileExists tells of a path by its length: the query failed (nothing there, or out of
// reach), it is 0 (an empty file or a folder), or more. Callers test only for NotThere.
enum class FileExistsResult : std::int16_t { NotThere = -1, Empty = 0, HasContent = 1 };

// Never raises: every failure of the length query is NotThere.
FileExistsResult FileExists(platform::FileSystem& files, const std::string& strFile);

// The logged-on user's name; raises the system call's error code as the error number.
std::string GetCurrentUserName(platform::Services& services);

}  // namespace setup
