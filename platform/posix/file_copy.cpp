#include <cerrno>
#include <string>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/support.h"

namespace platform {

using namespace detail;

namespace {

// The kernel copies without passing the bytes through this process where it can; each way is
// tried in turn because file systems and kernels support different ones. Each returns 0 when
// done, kUnsupported when the next way should be tried, or the error code.
constexpr int kUnsupported = -1;

int CopyWithCopyFileRange(int in, int out, off_t size) {
    for (off_t done = 0; done < size;) {
        const ssize_t copied =
            ::copy_file_range(in, nullptr, out, nullptr, static_cast<std::size_t>(size - done), 0);
        if (copied < 0 && errno == EINTR) {
            continue;
        }
        if (copied < 0) {
            const bool unsupported = errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                                     errno == EOPNOTSUPP || errno == EBADF;
            return unsupported && done == 0 ? kUnsupported : errno;
        }
        if (copied == 0) {
            break;
        }
        done += copied;
    }
    return 0;
}

int CopyWithSendfile(int in, int out, off_t size) {
    for (off_t done = 0; done < size;) {
        const ssize_t copied = ::sendfile(out, in, nullptr, static_cast<std::size_t>(size - done));
        if (copied < 0 && errno == EINTR) {
            continue;
        }
        if (copied < 0) {
            return (errno == EINVAL || errno == ENOSYS) && done == 0 ? kUnsupported : errno;
        }
        if (copied == 0) {
            break;
        }
        done += copied;
    }
    return 0;
}

int CopyWithReadWrite(int in, int out) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got < 0 ? errno : 0;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t written =
                ::write(out, buffer.data() + done, static_cast<std::size_t>(got - done));
            if (written < 0 && errno != EINTR) {
                return errno;
            }
            done += written > 0 ? written : 0;
        }
    }
}

void CopyContents(int in, const PendingFile& out, off_t size) {
    int result = CopyWithCopyFileRange(in, out.Fd(), size);
    if (result == kUnsupported) {
        result = CopyWithSendfile(in, out.Fd(), size);
    }
    if (result == kUnsupported) {
        result = CopyWithReadWrite(in, out.Fd());
    }
    if (result != 0) {
        out.Fail(result);
    }
}

bool SameFile(const struct stat& a, const std::string& path) {
    struct stat b {};
    return ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::string CopyToTemporary(const std::string& source, const std::string& destination) {
    FileDescriptor in(::open(SystemPath(source), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!in.Valid() || ::fstat(in.Get(), &info) != 0) {
        Raise(errno, source, Expected::File);
    }
    if (S_ISDIR(info.st_mode)) {
        Raise(EISDIR, source, Expected::File);
    }
    if (SameFile(info, destination)) {
        return {};
    }
    PendingFile out(destination, info.st_mode & 0755);
    CopyContents(in.Get(), out, info.st_size);
    return out.Keep();
}

std::string MoveAside(const std::string& path) {
    struct stat info {};
    if (::lstat(SystemPath(path), &info) != 0) {
        if (errno == ENOENT) {
            return {};
        }
        Raise(errno, path, Expected::File);
    }
    if (S_ISDIR(info.st_mode)) {
        Raise(EISDIR, path, Expected::File);
    }
    FileDescriptor reserved;
    std::string aside = MakeTemporaryBeside(path, reserved);
    reserved.Close();
    if (::rename(path.c_str(), aside.c_str()) != 0) {
        const int code = errno;
        ::unlink(aside.c_str());
        Raise(code, path, Expected::File);
    }
    return aside;
}

void PutInPlace(const std::string& file, const std::string& destination) {
    if (::rename(SystemPath(file), SystemPath(destination)) != 0) {
        Raise(errno, destination, Expected::File);
    }
}

bool RemoveFile(const std::string& path) noexcept {
    return path.find('\0') == std::string::npos && (::unlink(path.c_str()) == 0 || errno == ENOENT);
}

void SyncFolder(const std::string& folder) {
    FileDescriptor handle(::open(SystemPath(folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // Some file systems cannot sync a folder; the renames are then as safe as they get.
    if (!handle.Valid() || (::fsync(handle.Get()) != 0 && errno != EINVAL)) {
        Raise(errno, folder, Expected::Folder);
    }
}

void RemovePartialFiles(const std::string& folder) {
    DIR* listing = ::opendir(SystemPath(folder));
    if (listing == nullptr) {
        return;
    }
    while (const struct dirent* entry = ::readdir(listing)) {
        struct stat info {};
        const std::string_view name(entry->d_name);
        if (name.starts_with(kPartialFilePrefix) &&
            ::fstatat(::dirfd(listing), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            !S_ISDIR(info.st_mode)) {
            ::unlinkat(::dirfd(listing), entry->d_name, 0);
        }
    }
    ::closedir(listing);
}

}  // namespace platform
