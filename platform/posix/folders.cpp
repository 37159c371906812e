#include <cerrno>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/support.h"

namespace platform {

using namespace detail;

namespace {

// Folders get exactly 0755 whatever the umask: other users' launchers must read and enter them.
// The mode is set on what was made, opened from the folder it was made in without following a
// link: a name swapped for a link meanwhile changes nothing the link leads to.
int MakeFolder(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    const std::string name = NameOf(path);
    FileDescriptor parent(
        ::open(SystemPath(ParentOf(path)), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC));
    if (!parent.Valid()) {
        return errno;
    }
    if (::mkdirat(parent.Get(), SystemPath(name), 0755) != 0) {
        return errno;
    }
    FileDescriptor made(
        ::openat(parent.Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!made.Valid()) {
        return errno;
    }
    return ::fchmod(made.Get(), 0755) == 0 ? 0 : errno;
}

}  // namespace

// PATH_MAX counts the terminating NUL.
std::size_t MaxPathLength() {
    return PATH_MAX - 1;
}

bool IsFullPath(const std::string& path) {
    return path.starts_with('/');
}

bool IsPathSeparator(char c) {
    return c == '/';
}

bool PathsIgnoreCase() {
    return false;
}

std::string PathKey(const std::string& path) {
    return path;
}

std::string FullFolderPath(const std::string& folder) {
    SystemPath(folder);
    if (!IsFolder(folder)) {
        throw RuntimeError(error::kPathNotFound, folder);
    }
    const std::string absolute = IsFullPath(folder) ? folder : CurrentFolder() + "/" + folder;
    std::string full = std::filesystem::path(absolute).lexically_normal().string();
    if (full.size() > 1 && full.back() == '/') {
        full.pop_back();
    }
    return full;
}

std::vector<std::string> SubfolderNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code failed;
    for (std::filesystem::directory_iterator entry(SystemPath(folder), failed), end;
         !failed && entry != end; entry.increment(failed)) {
        std::string name = entry->path().filename().string();
        std::error_code unreadable;
        if (!name.starts_with('.') && entry->is_directory(unreadable)) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

std::string CurrentFolder() {
    std::string buffer(PATH_MAX, '\0');
    if (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        Raise(errno, ".", Expected::Folder);
    }
    buffer.resize(buffer.find('\0'));
    return buffer;
}

void ChangeFolder(const std::string& path) {
    if (::chdir(SystemPath(path)) != 0) {
        Raise(errno, path, Expected::Folder);
    }
}

void CreateFolder(const std::string& path) {
    if (const int code = MakeFolder(path); code != 0) {
        Raise(code, path, Expected::Folder);
    }
}

// Never over anything: a rename takes the place of a file, or of an empty folder, at to.
void MoveToNewName(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, SystemPath(from), AT_FDCWD, SystemPath(to), RENAME_NOREPLACE) == 0) {
        return;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        Raise(errno, errno == EEXIST ? to : from, Expected::File);
    }
    // A file system without the flag: the check and the rename are as close as they get.
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0) {
        Raise(EEXIST, to, Expected::File);
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        Raise(errno, from, Expected::File);
    }
}

void RemoveTree(const std::string& folder) {
    std::error_code failure;
    std::filesystem::remove_all(SystemPath(folder), failure);
    if (failure) {
        Raise(failure.value(), folder, Expected::Folder);
    }
}

void CreateFolderTree(const std::string& path) {
    for (std::size_t end = path.find('/', 1); end != std::string::npos;
         end = path.find('/', end + 1)) {
        MakeFolder(path.substr(0, end));
    }
    if (const int code = MakeFolder(path); code != 0 && !(code == EEXIST && IsFolder(path))) {
        Raise(code, path, Expected::Folder);
    }
}

}  // namespace platform
