#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace platform {

// The folder beside Setup on the Linux medium that holds the window toolkit for desktops without
// Qt, and its place in the application folder, where every launcher copy looks for it.
inline constexpr const char* kBundledRuntimeFolder = VELMORA_RUNTIME_FOLDER;

// One thing in the toolkit's folder, by its path relative to that folder.
struct BundledEntry {
    std::string relativePath;
    bool folder = false;
    FileContents contents{};  // a file's, as its copy read them

    bool operator==(const BundledEntry&) const = default;
};

// Whether the medium carries the toolkit; the Windows medium does not.
bool CarriesBundledRuntime(const std::string& medium);

// Copies everything in the medium's toolkit folder into folder, which is there and empty, each
// file straight under its own name. Returns what it made, each folder before what it holds;
// check is told of each file copied, and may raise to end the copy there.
std::vector<BundledEntry> CopyBundledRuntime(
    FileSystem& files, const std::string& fromMedium, const std::string& into,
    const std::function<void(const BundledEntry&)>& check = {});

}  // namespace platform
