#include "platform/bundled_runtime.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/platform.h"

namespace platform {

namespace {

std::filesystem::path Path(const std::string& text) {
    return std::filesystem::path(text).make_preferred();
}

std::filesystem::path SourceIn(const std::string& medium) {
    return Path(medium) / kBundledRuntimeFolder;
}

// Relative to root, sorted, so that each folder comes before what it holds.
std::vector<BundledEntry> EntriesBelow(const std::filesystem::path& root) {
    std::vector<BundledEntry> entries;
    std::error_code failure;
    for (std::filesystem::recursive_directory_iterator entry(root, failure), end;
         !failure && entry != end; entry.increment(failure)) {
        std::error_code unreadable;
        entries.push_back(
            {entry->path().lexically_relative(root).string(), entry->is_directory(unreadable)});
    }
    if (failure) {
        RaiseForSystemError(failure.value(), root.string());
    }
    std::sort(entries.begin(), entries.end(), [](const BundledEntry& a, const BundledEntry& b) {
        return std::filesystem::path(a.relativePath) < std::filesystem::path(b.relativePath);
    });
    return entries;
}

}  // namespace

bool CarriesBundledRuntime(const std::string& medium) {
    std::error_code failure;
    return std::filesystem::is_directory(SourceIn(medium), failure);
}

std::vector<BundledEntry> CopyBundledRuntime(
    FileSystem& files, const std::string& fromMedium, const std::string& into,
    const std::function<void(const BundledEntry&)>& check) {
    const std::filesystem::path source = SourceIn(fromMedium);
    std::vector<BundledEntry> entries = EntriesBelow(source);
    for (auto& entry : entries) {
        const std::string to = (Path(into) / entry.relativePath).string();
        if (entry.folder) {
            files.CreateFolder(to);
            continue;
        }
        entry.contents = files.CopyNewFile((source / entry.relativePath).string(), to, to);
        if (check) {
            check(entry);
        }
    }
    return entries;
}

}  // namespace platform
