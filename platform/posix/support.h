#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <sys/types.h>

// What the POSIX services share: how a failure reaches the user, and the file handling that makes
// a write all-or-nothing.
namespace platform::detail {

enum class Expected { File, Folder };

std::string ParentOf(const std::string& path);
std::string NameOf(const std::string& path);

// A NUL would end the name early, so the system would act on another path than the one given.
const char* SystemPath(const std::string& path);

bool IsFolder(const std::string& path);

// A missing file and a missing folder on the way to it are different errors to the user.
[[noreturn]] void Raise(int code, const std::string& path, Expected expected);

// The running user's entry in the password database.
struct UserEntry {
    std::string name;
    std::string home;
};
// 0, or the error code: getpwuid_r's own, or ENOENT when the user has no entry.
int EntryOfRunningUser(UserEntry& entry);

// A write past the file size limit must fail with EFBIG, not kill the installer midway.
void IgnoreFileSizeSignal();

// What a read that hashes as it goes takes at a time.
inline constexpr std::size_t kCopyBufferBytes = std::size_t{1} << 18;

// Every byte of data, or the error code; 0 when all are written. A write that takes nothing
// would otherwise be retried for ever: it is an error (EIO).
int WriteAll(int fd, std::string_view data);
// Reads until size bytes are in or the file ends; the count read, or -1 with errno set.
ssize_t ReadFully(int fd, char* data, std::size_t size);

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileDescriptor& operator=(FileDescriptor&&) = delete;
    ~FileDescriptor() { Close(); }

    void Reset(int fd) {
        Close();
        fd_ = fd;
    }
    int Get() const { return fd_; }
    // Gives up the descriptor without closing it.
    void Release() { fd_ = -1; }
    bool Valid() const { return fd_ >= 0; }
    int Close();

private:
    int fd_;
};

// A new file beside path, made exclusively (nothing planted under its name can be written
// through) under a name an install recognises as its own. Returns its name.
std::string MakeTemporaryBeside(const std::string& path, FileDescriptor& fd);

// A file written under a temporary name beside its destination and renamed over it only when
// complete, so the destination holds either its old bytes or all the new ones.
class PendingFile {
public:
    // Under a temporary name beside destination, or, AtItsName, under destination itself, which
    // must not be there yet.
    enum class Naming { Temporary, AtItsName };
    PendingFile(const std::string& destination, mode_t mode, Naming naming = Naming::Temporary);
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile();

    int Fd() const { return fd_.Get(); }
    const std::string& Destination() const { return destination_; }

    void Commit();
    // The complete file, on the disk, left under its temporary name for the caller.
    std::string Keep();

    [[noreturn]] void Fail(int code) const { Raise(code, destination_, Expected::File); }

private:
    std::string destination_;
    std::string temporary_;
    FileDescriptor fd_;
};

}  // namespace platform::detail
