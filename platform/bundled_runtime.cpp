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

// Relative to root, sorted, so that each folder comes before what it holds.
std::vector<std::filesystem::path> EntriesBelow(const std::filesystem::path& root) {
    std::vector<std::filesystem::path> entries;
    std::error_code failure;
    for (std::filesystem::recursive_directory_iterator entry(root, failure), end;
         !failure && entry != end; entry.increment(failure)) {
        entries.push_back(entry->path().lexically_relative(root));
    }
    if (failure) {
        RaiseForSystemError(failure.value(), root.string());
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace

std::vector<std::string> CopyBundledRuntime(FileSystem& files, const std::string& fromMedium,
                                            const std::string& toApplicationFolder) {
    const std::filesystem::path source = Path(fromMedium) / kBundledRuntimeFolder;
    std::error_code failure;
    if (!std::filesystem::is_directory(source, failure)) {
        return {};
    }
    const std::filesystem::path target = Path(toApplicationFolder) / kBundledRuntimeFolder;
    std::vector<std::string> made{target.string()};
    files.CreateFolderTree(target.string());
    for (const auto& entry : EntriesBelow(source)) {
        const std::filesystem::path from = source / entry;
        const std::string to = (target / entry).string();
        if (std::filesystem::is_directory(from, failure)) {
            files.CreateFolderTree(to);
        } else {
            files.CopyFile(from.string(), to);
        }
        made.push_back(to);
    }
    return made;
}

}  // namespace platform
