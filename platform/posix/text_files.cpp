#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/support.h"

namespace platform {

using namespace detail;

namespace {

void WriteWhole(int fd, std::string_view data, const std::string& path) {
    if (const int code = WriteAll(fd, data); code != 0) {
        Raise(code, path, Expected::File);
    }
}

}  // namespace

std::int64_t FileLength(const std::string& path) {
    struct stat info {};
    if (::stat(SystemPath(path), &info) != 0) {
        Raise(errno, path, Expected::File);
    }
    return S_ISDIR(info.st_mode) ? 0 : static_cast<std::int64_t>(info.st_size);
}

void PrintLine(const std::string& path, OpenFor mode, const std::string& line) {
    IgnoreFileSizeSignal();
    const int how = mode == OpenFor::Output ? O_TRUNC : O_APPEND;
    // A link planted at the name must not make the line (or the truncation) land elsewhere, and a
    // FIFO must not keep the program waiting.
    FileDescriptor file(::open(
        SystemPath(path), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | how, 0644));
    struct stat before {};
    if (!file.Valid() || ::fstat(file.Get(), &before) != 0) {
        Raise(errno, path, Expected::File);
    }
    if (!S_ISREG(before.st_mode)) {
        Raise(EINVAL, path, Expected::File);
    }
    const std::string withEnd = line + "\r\n";
    try {
        WriteWhole(file.Get(), withEnd, path);
    } catch (const RuntimeError&) {
        // A line is in the file whole or not at all, also when the disk fills halfway through.
        [[maybe_unused]] const int ignored = ::ftruncate(file.Get(), before.st_size);
        throw;
    }
    if (file.Close() != 0) {
        Raise(errno, path, Expected::File);
    }
}

void ReplaceFile(const std::string& path, const std::string& contents) {
    PendingFile out(path, 0644);
    WriteWhole(out.Fd(), contents, path);
    out.Commit();
}

void WriteNewFile(const std::string& path, const std::string& contents) {
    PendingFile out(path, 0644, PendingFile::Naming::AtItsName);
    WriteWhole(out.Fd(), contents, path);
    out.Keep();
}

// Only a plain file of the writer's: a link planted at the name is not followed. fdatasync
// takes the new length with the bytes.
void AppendDurably(const std::string& path, const std::string& data) {
    IgnoreFileSizeSignal();
    FileDescriptor file(::open(SystemPath(path),
                               O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK,
                               0644));
    struct stat before {};
    if (!file.Valid() || ::fstat(file.Get(), &before) != 0) {
        Raise(errno, path, Expected::File);
    }
    if (!S_ISREG(before.st_mode)) {
        Raise(EINVAL, path, Expected::File);
    }
    const int code = WriteAll(file.Get(), data);
    if (code != 0 || ::fdatasync(file.Get()) != 0) {
        const int failure = code != 0 ? code : errno;
        [[maybe_unused]] const int ignored = ::ftruncate(file.Get(), before.st_size);
        Raise(failure, path, Expected::File);
    }
    if (file.Close() != 0) {
        Raise(errno, path, Expected::File);
    }
}

// Menus here find programs through desktop entries; there is no shortcut file to write.
void WriteNewShortcut(const std::string& path, const Shortcut& /*shortcut*/) {
    RaiseForSystemError(ENOTSUP, path);
}

namespace {

// Refusing links, a FIFO must not keep the reader waiting either: it is no plain file.
FileDescriptor OpenToRead(const std::string& path, Links links) {
    const int flags = links == Links::Refuse ? O_NOFOLLOW | O_NONBLOCK : 0;
    FileDescriptor in(::open(SystemPath(path), O_RDONLY | O_CLOEXEC | flags));
    struct stat info {};
    if (!in.Valid() || ::fstat(in.Get(), &info) != 0) {
        Raise(errno, path, Expected::File);
    }
    if (links == Links::Refuse && !S_ISREG(info.st_mode)) {
        Raise(EINVAL, path, Expected::File);
    }
    return in;
}

}  // namespace

std::string ReadPrefix(const std::string& path, std::size_t maxBytes, Links links) {
    const FileDescriptor in = OpenToRead(path, links);
    std::string contents(maxBytes, '\0');
    const ssize_t filled = ReadFully(in.Get(), contents.data(), maxBytes);
    if (filled < 0) {
        Raise(errno, path, Expected::File);
    }
    contents.resize(static_cast<std::size_t>(filled));
    return contents;
}

FileContents ContentsOf(const std::string& path) {
    const FileDescriptor in = OpenToRead(path, Links::Refuse);
    std::vector<char> buffer(kCopyBufferBytes);
    ContentHasher hasher;
    for (;;) {
        const ssize_t got = ReadFully(in.Get(), buffer.data(), buffer.size());
        if (got < 0) {
            Raise(errno, path, Expected::File);
        }
        if (got == 0) {
            return hasher.Result();
        }
        hasher.Add({buffer.data(), static_cast<std::size_t>(got)});
    }
}

}  // namespace platform
