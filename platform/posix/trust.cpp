// What the launcher follows: only places nobody but their owner can change, owned by the running
// user or root, and checked by what is held open rather than by a path that could change after.

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/support.h"

namespace platform {

using namespace detail;

namespace {

void RequireTrusted(const struct stat& info, const std::string& place) {
    const bool ownerTrusted = info.st_uid == 0 || info.st_uid == ::geteuid();
    if (!ownerTrusted || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        throw RuntimeError(error::kPermissionDenied, place, 0, Reason::OthersCanChange);
    }
}

}  // namespace

void RequireOnlyOwnerCanWrite(const std::string& path) {
    struct stat info {};
    if (::stat(SystemPath(path), &info) != 0) {
        Raise(errno, path, Expected::Folder);
    }
    RequireTrusted(info, path);
}

// A folder of the running user's own that others may change is made theirs alone, so that the
// launcher will follow it; one of another user's is refused.
void GiveInstallersAccess(const std::string& folder) {
    struct stat info {};
    if (::stat(SystemPath(folder), &info) != 0) {
        Raise(errno, folder, Expected::Folder);
    }
    const bool ownerTrusted = info.st_uid == 0 || info.st_uid == ::geteuid();
    if (!S_ISDIR(info.st_mode) || (ownerTrusted && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0)) {
        return;
    }
    if (info.st_uid != ::geteuid()) {
        throw RuntimeError(error::kPermissionDenied, folder, 0, Reason::OthersCanChange);
    }
    const mode_t mode = info.st_mode & 07777 & ~static_cast<mode_t>(S_IWGRP | S_IWOTH);
    if (::chmod(folder.c_str(), mode) != 0) {
        Raise(errno, folder, Expected::Folder);
    }
}

void EnterTrustedFolder(const std::string& folder) {
    FileDescriptor held(::open(SystemPath(folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    if (!held.Valid() || ::fstat(held.Get(), &info) != 0) {
        Raise(errno, folder, Expected::Folder);
    }
    RequireTrusted(info, folder);
    if (::fchdir(held.Get()) != 0) {
        Raise(errno, folder, Expected::Folder);
    }
}

// Opened without following a link and without waiting on a FIFO, then checked by what was opened.
void RequireTrustedProgram(const std::string& folder, const std::string& name) {
    const std::string place = folder + "/" + name;
    FileDescriptor program(
        ::open(SystemPath(name), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!program.Valid() || ::fstat(program.Get(), &info) != 0) {
        Raise(errno == ELOOP ? EACCES : errno, place, Expected::File);
    }
    if (!S_ISREG(info.st_mode)) {
        Raise(EACCES, place, Expected::File);
    }
    RequireTrusted(info, place);
}

}  // namespace platform
