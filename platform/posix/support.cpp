#include "platform/posix/support.h"

#include <cerrno>
#include <csignal>
#include <mutex>
#include <utility>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"

namespace platform::detail {

int EntryOfRunningUser(UserEntry& entry) {
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string scratch(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384, '\0');
    struct passwd found {};
    struct passwd* result = nullptr;
    if (const int code = ::getpwuid_r(::geteuid(), &found, scratch.data(), scratch.size(), &result);
        code != 0) {
        return code;
    }
    if (result == nullptr) {
        return ENOENT;
    }
    entry = {found.pw_name, found.pw_dir != nullptr ? found.pw_dir : ""};
    return 0;
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* SystemPath(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        throw RuntimeError(error::kBadFileName, path.substr(0, path.find('\0')));
    }
    return path.c_str();
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void Raise(int code, const std::string& path, Expected expected) {
    if (code == ENOENT && (expected == Expected::Folder || !IsFolder(ParentOf(path)))) {
        throw RuntimeError(error::kPathNotFound, path, code);
    }
    if (code == EISDIR || (code == EEXIST && expected == Expected::Folder)) {
        throw RuntimeError(error::kPathFileAccessError, path, code);
    }
    RaiseForSystemError(code, path);
}

void IgnoreFileSizeSignal() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

int WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return errno;
        }
        if (written == 0) {
            return EIO;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

ssize_t ReadFully(int fd, char* data, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got = ::read(fd, data + filled, size - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return -1;
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    return static_cast<ssize_t>(filled);
}

int FileDescriptor::Close() {
    const int result = fd_ >= 0 ? ::close(fd_) : 0;
    fd_ = -1;
    return result;
}

std::string MakeTemporaryBeside(const std::string& path, FileDescriptor& fd) {
    std::string pattern = ParentOf(path) + "/" + kPartialFilePrefix + "XXXXXX";
    fd.Reset(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd.Valid()) {
        Raise(errno, path, Expected::File);
    }
    return pattern;
}

PendingFile::PendingFile(const std::string& destination, mode_t mode, Naming naming)
    : destination_(destination) {
    IgnoreFileSizeSignal();
    SystemPath(destination);
    if (NameOf(destination).empty()) {
        Raise(ENOENT, destination, Expected::File);
    }
    if (naming == Naming::AtItsName) {
        // Readable too: a clone is hashed from the copy itself.
        fd_.Reset(
            ::open(destination.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!fd_.Valid()) {
            Raise(errno, destination, Expected::File);
        }
        temporary_ = destination;
    } else {
        temporary_ = MakeTemporaryBeside(destination, fd_);
    }
    if (::fchmod(fd_.Get(), mode) != 0) {
        const int code = errno;
        ::unlink(temporary_.c_str());
        Raise(code, destination, Expected::File);
    }
}

PendingFile::~PendingFile() {
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
    }
}

void PendingFile::Commit() {
    const std::string complete = Keep();
    try {
        PutInPlace(complete, destination_);
    } catch (const RuntimeError&) {
        ::unlink(complete.c_str());
        throw;
    }
}

std::string PendingFile::Keep() {
    if (::fsync(fd_.Get()) != 0 || fd_.Close() != 0) {
        Fail(errno);
    }
    return std::exchange(temporary_, std::string());
}

}  // namespace platform::detail
