#include <cerrno>
#include <climits>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/support.h"

namespace platform {

using namespace detail;

namespace {

// Folders get exactly 0755 whatever the umask: other users' launchers must read and enter them.
int MakeFolder(const std::string& path) {
    if (::mkdir(SystemPath(path), 0755) != 0) {
        return errno;
    }
    return ::chmod(path.c_str(), 0755) == 0 ? 0 : errno;
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

std::string MakeStagingFolder(const std::string& path) {
    std::string pattern = ParentOf(path) + "/" + kPartialFilePrefix + "XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr || ::chmod(pattern.c_str(), 0755) != 0) {
        Raise(errno, path, Expected::Folder);
    }
    return pattern;
}

// Never over anything: a rename would take the place of an empty folder there.
void MoveFolder(const std::string& from, const std::string& to) {
    struct stat info {};
    if (::lstat(SystemPath(to), &info) == 0) {
        Raise(EEXIST, to, Expected::Folder);
    }
    if (::rename(SystemPath(from), to.c_str()) != 0) {
        Raise(errno, from, Expected::Folder);
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
