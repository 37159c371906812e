// What the launcher follows, and what Uninstall and Setup's recovery act on: only places nobody
// but their owner can change, owned by the running user or root, and checked by what is held open
// rather than by a path that could change after.

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/support.h"

namespace platform {

using namespace detail;

namespace {

constexpr std::size_t kNameBuffer = 16384;

std::string UserNamed(uid_t uid) {
    std::string scratch(kNameBuffer, '\0');
    struct passwd found {};
    struct passwd* result = nullptr;
    if (::getpwuid_r(uid, &found, scratch.data(), scratch.size(), &result) == 0 &&
        result != nullptr) {
        return std::string("the user ") + found.pw_name;
    }
    return "the user with number " + std::to_string(uid);
}

std::string GroupNamed(gid_t gid) {
    std::string scratch(kNameBuffer, '\0');
    struct group found {};
    struct group* result = nullptr;
    if (::getgrgid_r(gid, &found, scratch.data(), scratch.size(), &result) == 0 &&
        result != nullptr) {
        return std::string("the members of the group ") + found.gr_name;
    }
    return "the members of the group with number " + std::to_string(gid);
}

// A folder above the place, rather than the place itself: one shared like /tmp (the sticky bit)
// lets others add names to it but not rename or remove ours.
enum class Standing { Place, Above };

// Who besides the running user and root can change what info describes; "" for nobody.
std::string OthersWhoCanChange(const struct stat& info, Standing standing) {
    if (info.st_uid != 0 && info.st_uid != ::geteuid()) {
        return "its owner, " + UserNamed(info.st_uid);
    }
    if (standing == Standing::Above && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX) != 0) {
        return {};
    }
    if ((info.st_mode & S_IWOTH) != 0) {
        return "every user of this computer";
    }
    if ((info.st_mode & S_IWGRP) != 0) {
        return GroupNamed(info.st_gid);
    }
    return {};
}

void RequireTrusted(const struct stat& info, const std::string& place,
                    Standing standing = Standing::Place) {
    if (std::string who = OthersWhoCanChange(info, standing); !who.empty()) {
        throw RuntimeError(error::kPermissionDenied, place, 0, Reason::OthersCanChange)
            .ChangeableBy(std::move(who));
    }
}

void RequireTrustedFolder(const std::string& folder) {
    struct stat info {};
    if (::stat(SystemPath(folder), &info) != 0) {
        Raise(errno, folder, Expected::Folder);
    }
    RequireTrusted(info, folder, Standing::Above);
}

// Each folder from path's up to the root.
void RequireTrustedFoldersAbove(const std::filesystem::path& path) {
    for (std::filesystem::path folder = path.parent_path(); !folder.empty();
         folder = folder.parent_path()) {
        RequireTrustedFolder(folder.string());
        if (folder == folder.root_path()) {
            return;
        }
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

// The folders as named and as they really are: a link on the way is followed by the system, so
// the folders it leads through count as well.
void RequireNobodyElseCanChange(const std::string& path) {
    RequireOnlyOwnerCanWrite(path);
    const std::filesystem::path named(path);
    RequireTrustedFoldersAbove(named);
    std::error_code failed;
    const std::filesystem::path real = std::filesystem::canonical(named, failed);
    if (failed) {
        Raise(failed.value(), path, Expected::File);
    }
    if (real != named) {
        RequireTrustedFoldersAbove(real);
    }
}

// A folder of the running user's own that others may change is made theirs alone, so that the
// launcher will follow it; one of another user's is refused. What is checked and changed is what
// was opened, keeping its setgid and sticky bits: a name swapped for a link meanwhile changes
// nothing it leads to.
void GiveInstallersAccess(const std::string& folder) {
    FileDescriptor held(::open(SystemPath(folder), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!held.Valid() || ::fstat(held.Get(), &info) != 0) {
        Raise(errno, folder, Expected::Folder);
    }
    if (!S_ISDIR(info.st_mode) || OthersWhoCanChange(info, Standing::Place).empty()) {
        return;
    }
    if (info.st_uid != ::geteuid()) {
        RequireTrusted(info, folder);
    }
    const mode_t mode = info.st_mode & 07777 & ~static_cast<mode_t>(S_IWGRP | S_IWOTH);
    if (::fchmod(held.Get(), mode) != 0) {
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
