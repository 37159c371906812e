#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/file_system.h"

// The one-line file through which the installer tells the launcher where the application is.
namespace handover {

// The file's whole contents for an install folder: the folder as given, then CR LF.
std::string FileFor(const std::string& installFolder);

// The first line, without its line end (CR LF, CR or LF). Fails on a missing or empty file, on
// anything but a plain file (a link is not followed), and on a first line longer than the
// system's longest path.
std::string ReadFirstLine(platform::FileReading& files, const std::string& path);

// The same from the bytes at the start of the file, for a first line of at most limit bytes.
std::string FirstLineOf(std::string_view start, std::size_t limit);

}  // namespace handover
