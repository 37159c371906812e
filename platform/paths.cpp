#include "platform/paths.h"

#include <chrono>
#include <cstdint>
#include <random>

#include "platform/platform.h"

namespace platform {

namespace {

std::size_t NameStart(const std::string& path) {
    std::size_t start = path.size();
    while (start > 0 && !IsPathSeparator(path[start - 1]) && path[start - 1] != ':') {
        --start;
    }
    return start;
}

// A drive ("C:") or a share ("\\host\share") is where a path's folders start; "/" is no piece.
std::size_t RootLength(const std::string& path) {
    if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        std::size_t end = 2;
        for (int separators = 0; end < path.size(); ++end) {
            if (IsPathSeparator(path[end]) && ++separators == 2) {
                break;
            }
        }
        return end;
    }
    return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

// The names after the root, empty ones left out.
std::vector<std::string> NamesOf(const std::string& path, std::size_t rootLength) {
    std::vector<std::string> names;
    for (std::size_t start = rootLength; start < path.size();) {
        std::size_t end = start;
        while (end < path.size() && !IsPathSeparator(path[end])) {
            ++end;
        }
        if (end > start) {
            names.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return names;
}

}  // namespace

std::string NameOf(const std::string& path) {
    return path.substr(NameStart(path));
}

std::string ParentOf(const std::string& path) {
    std::size_t end = NameStart(path);
    while (end > RootLength(path) + 1 && IsPathSeparator(path[end - 1])) {
        --end;
    }
    return path.substr(0, end);
}

std::string SiblingOf(const std::string& path, std::string_view name) {
    return path.substr(0, NameStart(path)) + std::string(name);
}

std::string PartialNameBeside(const std::string& path) {
    static constexpr std::string_view kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    // Seeded from the clock and this process's stack, not std::random_device: that pulls in
    // arc4random, which the oldest C library the programs start on lacks. The names are made
    // with exclusive creation, so a repeat is an error, never an overwrite.
    static std::mt19937_64 random{
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        reinterpret_cast<std::uintptr_t>(&kLetters) ^ reinterpret_cast<std::uintptr_t>(&path)};
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    std::string name = kPartialFilePrefix;
    for (std::size_t i = 0; i < kPartialFileSuffixLength; ++i) {
        name += kLetters[pick(random)];
    }
    return SiblingOf(path, name);
}

std::vector<std::string> FoldersOnTheWay(const std::string& path) {
    std::vector<std::string> folders;
    for (std::size_t end = RootLength(path) + 1; end <= path.size(); ++end) {
        const bool pieceEnds = end == path.size() || IsPathSeparator(path[end]);
        if (pieceEnds && !IsPathSeparator(path[end - 1])) {
            folders.push_back(path.substr(0, end));
        }
    }
    return folders;
}

std::optional<std::string> NormalPath(const std::string& path, std::string_view separator) {
    if (!IsFullPath(path)) {
        return std::nullopt;
    }
    const std::size_t rootLength = RootLength(path);
    std::vector<std::string> names;
    for (const std::string& name : NamesOf(path, rootLength)) {
        if (name == "..") {
            if (names.empty()) {
                return std::nullopt;
            }
            names.pop_back();
        } else if (name != ".") {
            names.push_back(name);
        }
    }
    std::string normal = path.substr(0, rootLength);
    for (char& c : normal) {
        if (IsPathSeparator(c)) {
            c = separator.front();
        }
    }
    normal += separator;
    for (std::size_t i = 0; i < names.size(); ++i) {
        normal += (i == 0 ? "" : std::string(separator)) + names[i];
    }
    return normal;
}

std::optional<std::vector<std::string>> NamesBelow(const std::string& folder,
                                                   const std::string& path) {
    const std::size_t folderRoot = RootLength(folder);
    const std::size_t pathRoot = RootLength(path);
    if (PathKey(folder.substr(0, folderRoot)) != PathKey(path.substr(0, pathRoot))) {
        return std::nullopt;
    }
    const std::vector<std::string> above = NamesOf(folder, folderRoot);
    std::vector<std::string> names = NamesOf(path, pathRoot);
    if (names.size() < above.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < above.size(); ++i) {
        if (PathKey(names[i]) != PathKey(above[i])) {
            return std::nullopt;
        }
    }
    names.erase(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(above.size()));
    return names;
}

}  // namespace platform
