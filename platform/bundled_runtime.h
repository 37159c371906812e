#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace platform {

// The folder beside Setup on the Linux medium that holds the window toolkit for desktops without
// Qt, and its place in the application folder, where every launcher copy looks for it.
inline constexpr const char* kBundledRuntimeFolder = VELMORA_RUNTIME_FOLDER;

// Copies the medium's runtime folder, with everything in it, into the application folder,
// replacing what an earlier install left there file by file. Returns the full path of every
// folder and file it made or replaced, each folder before what it holds. Copies and returns
// nothing when the medium carries no runtime, as the Windows medium does.
std::vector<std::string> CopyBundledRuntime(FileSystem& files, const std::string& fromMedium,
                                            const std::string& toApplicationFolder);

}  // namespace platform
