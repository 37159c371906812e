#include "setup/core/folder_browser.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <utility>

#include "platform/platform.h"

namespace setup {

namespace {

constexpr std::size_t kIndentPerLevel = 2;
constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

std::size_t NextSeparator(const std::string& path, std::size_t from) {
    const auto start = path.begin() + static_cast<std::ptrdiff_t>(std::min(from, path.size()));
    return static_cast<std::size_t>(std::find_if(start, path.end(), platform::IsPathSeparator) -
                                    path.begin());
}

// "C:\", "\\host\share\" or "/"; 0 for a path without a root.
std::size_t RootLength(const std::string& path) {
    const auto separatorAt = [&path](std::size_t i) {
        return i < path.size() && platform::IsPathSeparator(path[i]);
    };
    if (path.size() >= 2 && path[1] == ':' && separatorAt(2)) {
        return 3;
    }
    if (separatorAt(0) && separatorAt(1)) {
        const std::size_t share = NextSeparator(path, NextSeparator(path, 2) + 1);
        return std::min(share + 1, path.size());
    }
    return separatorAt(0) ? 1 : 0;
}

std::string LastName(const std::string& folder) {
    const auto last = std::find_if(folder.rbegin(), folder.rend(), platform::IsPathSeparator);
    return std::string(last.base(), folder.end());
}

std::string Child(const std::string& folder, const std::string& name) {
    if (!folder.empty() && platform::IsPathSeparator(folder.back())) {
        return folder + name;
    }
    return folder + kSeparator + name;
}

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool SamePathText(const std::string& a, const std::string& b) {
    return platform::PathsIgnoreCase() ? Lowered(a) == Lowered(b) : a == b;
}

// Ignoring case; names that differ only in case keep one fixed order.
bool ListedBefore(const std::string& a, const std::string& b) {
    return std::pair(Lowered(a), a) < std::pair(Lowered(b), b);
}

bool Holds(const std::string& drive, const std::string& folder) {
    if (drive.empty() || folder.size() < drive.size() ||
        !SamePathText(folder.substr(0, drive.size()), drive)) {
        return false;
    }
    return folder.size() == drive.size() || platform::IsPathSeparator(drive.back()) ||
           platform::IsPathSeparator(folder[drive.size()]);
}

}  // namespace

FolderBrowser::FolderBrowser(std::string folder) : path_(std::move(folder)) {
    ReadLines();
}

bool FolderBrowser::Open(const std::string& folder) {
    std::string full = platform::FullFolderPath(folder);
    const bool changed = full != path_;
    path_ = std::move(full);
    ReadLines();
    return changed;
}

bool FolderBrowser::OpenLine(std::size_t line) {
    if (line >= lines_.size()) {
        return false;
    }
    const std::string folder = lines_[line].folder;
    return Open(folder);
}

bool FolderBrowser::Assign(const std::string& value) {
    const std::vector<std::string> drives = platform::Drives();
    const bool isDrive = std::any_of(drives.begin(), drives.end(), [&value](const auto& drive) {
        return SamePathText(drive, value);
    });
    return Open(isDrive ? platform::CurrentFolderOfDrive(value) : value);
}

void FolderBrowser::ReadLines() {
    lines_.clear();
    const std::vector<std::string> chain = FoldersDownTo(path_);
    for (std::size_t depth = 0; depth < chain.size(); ++depth) {
        const std::string name = depth == 0 ? chain[depth] : LastName(chain[depth]);
        lines_.push_back({std::string(depth * kIndentPerLevel, ' ') + name, chain[depth]});
    }
    currentLine_ = chain.size() - 1;

    std::vector<std::string> names = platform::SubfolderNames(path_);
    std::sort(names.begin(), names.end(), ListedBefore);
    const std::string indent(chain.size() * kIndentPerLevel, ' ');
    for (const auto& name : names) {
        lines_.push_back({indent + name, Child(path_, name)});
    }
}

std::vector<std::string> FoldersDownTo(const std::string& path) {
    const std::size_t rootLength = RootLength(path);
    std::vector<std::string> chain;
    if (rootLength > 0) {
        chain.push_back(path.substr(0, rootLength));
    }
    for (std::size_t start = rootLength; start < path.size();) {
        const std::size_t end = NextSeparator(path, start);
        if (end > start) {
            chain.push_back(path.substr(0, end));
        }
        start = end + 1;
    }
    if (chain.empty()) {
        chain.push_back(path);
    }
    return chain;
}

std::optional<std::size_t> DriveHolding(const std::vector<std::string>& drives,
                                        const std::string& folder) {
    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        if (Holds(drives[i], folder) && (!found || drives[i].size() > drives[*found].size())) {
            found = i;
        }
    }
    return found;
}

}  // namespace setup
