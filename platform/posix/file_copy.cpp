#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/support.h"

namespace platform {

using namespace detail;

namespace {

// The kernel copies without passing the bytes through this process where it can; each way is
// tried in turn because file systems and kernels support different ones. Each ends at the
// source's end or after size bytes and says how many it copied; a source that ends early shows
// as fewer bytes than its length.
constexpr int kUnsupported = -1;

struct Copied {
    int error = 0;  // kUnsupported: try the next way
    off_t bytes = 0;
};

// Repeats one kernel call until size bytes or the source's end; errors for which the call itself
// is unsupported, before any byte moved, mean: try the next way.
template <typename Step, typename Unsupported>
Copied CopyInSteps(off_t size, Step step, Unsupported unsupported) {
    Copied copied;
    while (copied.bytes < size) {
        const ssize_t moved = step(static_cast<std::size_t>(size - copied.bytes));
        if (moved < 0 && errno == EINTR) {
            continue;
        }
        if (moved < 0) {
            copied.error = unsupported(errno) && copied.bytes == 0 ? kUnsupported : errno;
            return copied;
        }
        if (moved == 0) {
            break;
        }
        copied.bytes += moved;
    }
    return copied;
}

Copied CopyWithCopyFileRange(int in, int out, off_t size) {
    return CopyInSteps(
        size,
        [&](std::size_t count) { return ::copy_file_range(in, nullptr, out, nullptr, count, 0); },
        [](int code) {
            return code == EXDEV || code == ENOSYS || code == EINVAL || code == EOPNOTSUPP ||
                   code == EBADF;
        });
}

Copied CopyWithSendfile(int in, int out, off_t size) {
    return CopyInSteps(
        size, [&](std::size_t count) { return ::sendfile(out, in, nullptr, count); },
        [](int code) { return code == EINVAL || code == ENOSYS; });
}

constexpr int kNoFile = -1;

// Reads in to its end, past size, so that a source that grew shows too; hashes what passes where
// asked, and writes it to out where there is one.
Copied ReadThrough(int in, ContentHasher* hasher, int out = kNoFile) {
    std::vector<char> buffer(kCopyBufferBytes);
    Copied copied;
    for (;;) {
        const ssize_t got = ReadFully(in, buffer.data(), buffer.size());
        if (got < 0) {
            copied.error = errno;
            return copied;
        }
        if (got == 0) {
            return copied;
        }
        const std::string_view piece(buffer.data(), static_cast<std::size_t>(got));
        if (hasher != nullptr) {
            hasher->Add(piece);
        }
        if (const int code = out == kNoFile ? 0 : WriteAll(out, piece); code != 0) {
            copied.error = code;
            return copied;
        }
        copied.bytes += got;
    }
}

// Where the file system shares blocks between files (btrfs, XFS), the copy is a clone, which
// writes no data; its bytes are then read once from the copy for the hash, as a check after cp
// would read them. Anywhere else nothing is done.
bool Cloned(int in, int out) {
    return ::ioctl(out, FICLONE, in) == 0;
}

Copied HashOfCopy(int out, ContentHasher& hasher) {
    ::posix_fadvise(out, 0, 0, POSIX_FADV_SEQUENTIAL);
    return ReadThrough(out, &hasher);
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// A copy is complete or an error: every byte of the source as it was when the copy began, with
// the source unchanged at its end. Else the source was cut short or changed under the copy, as a
// download or a network share can be. A copy that is hashed is a clone hashed from the copy, or
// passes through this process: either way the bytes hashed are the bytes written. Any other the
// kernel makes where it can.
void CopyContents(int in, const struct stat& before, const std::string& source,
                  const PendingFile& out, ContentHasher* hasher = nullptr) {
    Copied copied{kUnsupported, 0};
    if (hasher != nullptr && Cloned(in, out.Fd())) {
        copied = HashOfCopy(out.Fd(), *hasher);
    } else if (hasher == nullptr) {
        copied = CopyWithCopyFileRange(in, out.Fd(), before.st_size);
        if (copied.error == kUnsupported) {
            copied = CopyWithSendfile(in, out.Fd(), before.st_size);
        }
    }
    if (copied.error == kUnsupported) {
        copied = ReadThrough(in, hasher, out.Fd());
    }
    if (copied.error != 0) {
        out.Fail(copied.error);
    }
    struct stat after {};
    struct stat written {};
    if (::fstat(in, &after) != 0 || ::fstat(out.Fd(), &written) != 0) {
        out.Fail(errno);
    }
    if (copied.bytes < before.st_size) {
        throw RuntimeError(error::kInputPastEndOfFile, source);
    }
    if (copied.bytes != before.st_size || written.st_size != before.st_size ||
        after.st_size != before.st_size || !SameTime(after.st_mtim, before.st_mtim)) {
        throw RuntimeError(error::kPathFileAccessError, source, 0, Reason::ChangedWhileCopied);
    }
}

// Whoever may run the program may read the copy: installed files are for every user the
// installing folder serves, whatever the medium's modes. Nobody but the owner may change it.
mode_t InstalledMode(mode_t source) {
    const mode_t execute = (source & S_IXUSR) != 0 ? 0111 : 0;
    return (source & 0755) | 0444 | execute;
}

bool SameFile(const struct stat& a, const std::string& path) {
    struct stat b {};
    return ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

namespace {

FileDescriptor OpenSource(const std::string& source, struct stat& info) {
    FileDescriptor in(::open(SystemPath(source), O_RDONLY | O_CLOEXEC));
    if (!in.Valid() || ::fstat(in.Get(), &info) != 0) {
        Raise(errno, source, Expected::File);
    }
    if (S_ISDIR(info.st_mode)) {
        Raise(EISDIR, source, Expected::File);
    }
    return in;
}

}  // namespace

std::string CopyToTemporary(const std::string& source, const std::string& destination) {
    struct stat info {};
    const FileDescriptor in = OpenSource(source, info);
    if (SameFile(info, destination)) {
        return {};
    }
    PendingFile out(destination, InstalledMode(info.st_mode));
    CopyContents(in.Get(), info, source, out);
    return out.Keep();
}

FileContents CopyNewFile(const std::string& source, const std::string& destination) {
    struct stat info {};
    const FileDescriptor in = OpenSource(source, info);
    PendingFile out(destination, InstalledMode(info.st_mode), PendingFile::Naming::AtItsName);
    ContentHasher hasher;
    CopyContents(in.Get(), info, source, out, &hasher);
    out.Keep();
    return hasher.Result();
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
        if (!name.starts_with(kPartialFilePrefix) ||
            ::fstatat(::dirfd(listing), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            std::error_code ignored;
            std::filesystem::remove_all(folder + "/" + std::string(name), ignored);
        } else {
            ::unlinkat(::dirfd(listing), entry->d_name, 0);
        }
    }
    ::closedir(listing);
}

}  // namespace platform
