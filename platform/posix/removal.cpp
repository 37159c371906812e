#include "platform/removal.h"

#include <cerrno>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/support.h"
#include "platform/runtime_error.h"

namespace platform {

using namespace detail;

EntryFacts FactsOf(const std::string& path) {
    struct stat info {};
    if (::lstat(SystemPath(path), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return {};
        }
        Raise(errno, path, Expected::File);
    }
    const EntryKind kind = S_ISREG(info.st_mode)   ? EntryKind::File
                           : S_ISDIR(info.st_mode) ? EntryKind::Folder
                                                   : EntryKind::Other;
    constexpr std::int64_t kNanoseconds = 1000000000;
    return {kind, static_cast<std::int64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * kNanoseconds + info.st_mtim.tv_nsec};
}

void RemoveOneFile(const std::string& path) {
    if (FactsOf(path).kind == EntryKind::Folder) {
        Raise(EISDIR, path, Expected::File);
    }
    if (::unlink(path.c_str()) != 0) {
        Raise(errno, path, Expected::File);
    }
}

void RemoveEmptyFolder(const std::string& path) {
    if (::rmdir(SystemPath(path)) != 0) {
        Raise(errno, path, Expected::Folder);
    }
}

namespace {

bool IsLinkIn(int folder, const std::string& name) {
    struct stat info {};
    return ::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISLNK(info.st_mode);
}

RemovalResult RemoveBelow(const std::string& place, const std::vector<std::string>& names,
                          const std::string& path, bool folder) {
    if (names.empty()) {
        Raise(EINVAL, path, folder ? Expected::Folder : Expected::File);
    }
    FileDescriptor at(::open(SystemPath(place), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!at.Valid()) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return {Reached::Gone, {}};
        }
        Raise(errno, place, Expected::Folder);
    }
    std::string reached = place;
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        reached += (reached.ends_with('/') ? "" : "/") + names[i];
        const int next = ::openat(at.Get(), SystemPath(names[i]),
                                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            const int code = errno;
            if (IsLinkIn(at.Get(), names[i])) {
                return {Reached::ThroughLink, reached};
            }
            if (code == ENOENT || code == ENOTDIR) {
                return {Reached::Gone, {}};
            }
            Raise(code, reached, Expected::Folder);
        }
        at.Reset(next);
    }
    const char* last = SystemPath(names.back());
    struct stat info {};
    if (::fstatat(at.Get(), last, &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) {
            return {Reached::Gone, {}};
        }
        Raise(errno, path, folder ? Expected::Folder : Expected::File);
    }
    if (S_ISLNK(info.st_mode)) {
        return {Reached::ThroughLink, path};
    }
    if (folder != (S_ISDIR(info.st_mode) != 0)) {
        Raise(folder ? ENOTDIR : EISDIR, path, folder ? Expected::Folder : Expected::File);
    }
    // Whatever stands at the name now, unlinkat removes that name, never what a link points to.
    if (::unlinkat(at.Get(), last, folder ? AT_REMOVEDIR : 0) != 0) {
        if (errno == ENOENT) {
            return {Reached::Gone, {}};
        }
        if (folder && (errno == ENOTEMPTY || errno == EEXIST)) {
            return {Reached::NotEmpty, {}};
        }
        Raise(errno, path, folder ? Expected::Folder : Expected::File);
    }
    return {Reached::Removed, {}};
}

}  // namespace

RemovalResult RemoveFileBelow(const std::string& place, const std::vector<std::string>& names,
                              const std::string& path) {
    return RemoveBelow(place, names, path, false);
}

RemovalResult RemoveEmptyFolderBelow(const std::string& place,
                                     const std::vector<std::string>& names,
                                     const std::string& path) {
    return RemoveBelow(place, names, path, true);
}

std::vector<std::string> EntriesOf(const std::string& folder) {
    DIR* listing = ::opendir(SystemPath(folder));
    if (listing == nullptr) {
        Raise(errno, folder, Expected::Folder);
    }
    std::vector<std::string> names;
    while (const struct dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(listing);
    return names;
}

std::vector<std::string> SystemFolders() {
    return {"/",         "/bin",       "/boot",      "/dev",           "/etc",
            "/etc/skel", "/home",      "/lib",       "/lib64",         "/media",
            "/mnt",      "/opt",       "/proc",      "/root",          "/run",
            "/sbin",     "/srv",       "/sys",       "/tmp",           "/usr",
            "/usr/bin",  "/usr/lib",   "/usr/local", "/usr/local/bin", "/usr/local/share",
            "/usr/sbin", "/usr/share", "/var"};
}

}  // namespace platform
