#include <cerrno>
#include <cstdint>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/support.h"

namespace platform {

using namespace detail;

namespace {

void WriteAll(int fd, const char* data, std::size_t size, const std::string& path) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            Raise(errno, path, Expected::File);
        }
        data += written;
        size -= static_cast<std::size_t>(written);
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
        WriteAll(file.Get(), withEnd.data(), withEnd.size(), path);
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
    WriteAll(out.Fd(), contents.data(), contents.size(), path);
    out.Commit();
}

// Menus here find programs through desktop entries; there is no shortcut file to write.
void WriteShortcut(const std::string& path, const Shortcut& /*shortcut*/) {
    RaiseForSystemError(ENOTSUP, path);
}

std::string ReadPrefix(const std::string& path, std::size_t maxBytes) {
    FileDescriptor in(::open(SystemPath(path), O_RDONLY | O_CLOEXEC));
    if (!in.Valid()) {
        Raise(errno, path, Expected::File);
    }
    std::string contents(maxBytes, '\0');
    std::size_t filled = 0;
    while (filled < maxBytes) {
        const ssize_t got = ::read(in.Get(), contents.data() + filled, maxBytes - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            Raise(errno, path, Expected::File);
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    contents.resize(filled);
    return contents;
}

}  // namespace platform
