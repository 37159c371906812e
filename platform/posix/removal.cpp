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
