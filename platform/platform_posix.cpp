#include "platform/fault_injection.h"
#include "platform/platform.h"
#include "platform/program_hooks.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <locale>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <mntent.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {

using fault_injection::Operation;

enum class Expected { File, Folder };

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

// A NUL would end the name early, so the system would act on another path than the one given.
const char* SystemPath(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        throw RuntimeError(error::kBadFileName, "Bad file name");
    }
    return path.c_str();
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A missing file and a missing folder on the way to it are different errors to the user.
[[noreturn]] void Raise(int code, const std::string& path, Expected expected) {
    if (code == ENOENT && (expected == Expected::Folder || !IsFolder(ParentOf(path)))) {
        throw RuntimeError(error::kPathNotFound, "Path not found", path, code);
    }
    if (code == EISDIR || (code == EEXIST && expected == Expected::Folder)) {
        throw RuntimeError(error::kPathFileAccessError, "Path/File access error", path, code);
    }
    RaiseForSystemError(code, path);
}

// A write past the file size limit must fail with EFBIG, not kill the installer midway.
void IgnoreFileSizeSignal() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Close(); }

    void Reset(int fd) {
        Close();
        fd_ = fd;
    }
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Close() {
        const int result = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

void WriteAll(int fd, const char* data, std::size_t size, const std::string& path) {
    while (size > 0) {
        if (const int injected = fault_injection::Take(Operation::Write, path); injected != 0) {
            Raise(injected, path, Expected::File);
        }
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

// A new file beside path, made exclusively (nothing planted under its name can be written
// through) under a name an install recognises as its own. Returns its name.
std::string MakeTemporaryBeside(const std::string& path, FileDescriptor& fd) {
    std::string pattern = ParentOf(path) + "/" + kPartialFilePrefix + "XXXXXX";
    fd.Reset(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd.Valid()) {
        Raise(errno, path, Expected::File);
    }
    return pattern;
}

// A file written under a temporary name beside its destination and renamed over it only when
// complete, so the destination holds either its old bytes or all the new ones.
class PendingFile {
public:
    PendingFile(const std::string& destination, mode_t mode) : destination_(destination) {
        IgnoreFileSizeSignal();
        SystemPath(destination);
        if (NameOf(destination).empty()) {
            Raise(ENOENT, destination, Expected::File);
        }
        temporary_ = MakeTemporaryBeside(destination, fd_);
        if (::fchmod(fd_.Get(), mode) != 0) {
            const int code = errno;
            ::unlink(temporary_.c_str());
            Raise(code, destination, Expected::File);
        }
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile() {
        if (!temporary_.empty()) {
            ::unlink(temporary_.c_str());
        }
    }

    int Fd() const { return fd_.Get(); }
    const std::string& Destination() const { return destination_; }

    void Commit() {
        const std::string complete = Keep();
        try {
            PutInPlace(complete, destination_);
        } catch (const RuntimeError&) {
            ::unlink(complete.c_str());
            throw;
        }
    }

    // The complete file, on the disk, left under its temporary name for the caller.
    std::string Keep() {
        if (::fsync(fd_.Get()) != 0 || fd_.Close() != 0) {
            Fail(errno);
        }
        return std::exchange(temporary_, std::string());
    }

    [[noreturn]] void Fail(int code) const { Raise(code, destination_, Expected::File); }

private:
    std::string destination_;
    std::string temporary_;
    FileDescriptor fd_;
};

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
    if (const int injected = fault_injection::Take(Operation::Write, out.Destination());
        injected != 0) {
        out.Fail(injected);
    }
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

// Folders get exactly 0755 whatever the umask: other users' launchers must read and enter them.
int MakeFolder(const std::string& path) {
    if (::mkdir(SystemPath(path), 0755) != 0) {
        return errno;
    }
    return ::chmod(path.c_str(), 0755) == 0 ? 0 : errno;
}

std::string OwnFolder() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) {
        return {};
    }
    return ParentOf(std::string(buffer, static_cast<std::size_t>(length)));
}

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> FindProgram(const std::string& name) {
    if (name.empty()) {
        return std::nullopt;
    }
    if (name.find('/') != std::string::npos) {
        return IsExecutableFile(name) ? std::optional(name) : std::nullopt;
    }
    std::vector<std::string> folders{OwnFolder(), "."};
    const char* searchPath = std::getenv("PATH");
    std::stringstream entries(searchPath != nullptr ? searchPath : "");
    for (std::string entry; std::getline(entries, entry, ':');) {
        folders.push_back(entry.empty() ? "." : entry);
    }
    for (const auto& folder : folders) {
        if (!folder.empty() && IsExecutableFile(folder + "/" + name)) {
            return folder + "/" + name;
        }
    }
    return std::nullopt;
}

// Reaps the started program when it ends, so that no zombie is left while this process lives on.
void ReapWhenEnded(pid_t child) {
    std::thread([child] {
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

std::locale UserLocale() {
    try {
        return std::locale("");
    } catch (const std::runtime_error&) {
        return std::locale::classic();
    }
}

struct Mount {
    std::string point;
    bool pseudo;
};

std::vector<Mount> MountTable() {
    static const std::vector<std::string> pseudo{
        "proc",       "sysfs",    "cgroup",     "cgroup2",     "devpts",   "mqueue",
        "debugfs",    "tracefs",  "securityfs", "pstore",      "bpf",      "autofs",
        "hugetlbfs",  "configfs", "fusectl",    "binfmt_misc", "devtmpfs", "nsfs",
        "rpc_pipefs", "efivarfs", "selinuxfs",  "ramfs"};
    std::vector<Mount> mounts;
    FILE* table = ::setmntent("/proc/self/mounts", "r");
    if (table == nullptr) {
        return mounts;
    }
    while (const struct mntent* mount = ::getmntent(table)) {
        const bool isPseudo =
            std::find(pseudo.begin(), pseudo.end(), mount->mnt_type) != pseudo.end();
        mounts.push_back({mount->mnt_dir, isPseudo});
    }
    ::endmntent(table);
    return mounts;
}

// The mount point a path lies under: the longest one that is a whole-segment prefix of it.
std::string VolumeOf(const std::string& path) {
    std::string volume = "/";
    for (const auto& mount : MountTable()) {
        const std::string& point = mount.point;
        const bool under = path == point || path.starts_with(point + "/");
        if (under && point.size() > volume.size()) {
            volume = point;
        }
    }
    return volume;
}

}  // namespace

// Without a window system a message can only go to the terminal.
void detail::SystemMessageBox(const std::string& text, const std::string& title) {
    std::cerr << title << ": " << text << '\n';
}

std::size_t MaxPathLength() {
    return PATH_MAX;
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
        throw RuntimeError(error::kPathNotFound, "Path not found");
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
    if (const int injected = fault_injection::Take(Operation::CreateFolder, path); injected != 0) {
        Raise(injected, path, Expected::Folder);
    }
    if (const int code = MakeFolder(path); code != 0) {
        Raise(code, path, Expected::Folder);
    }
}

void CreateFolderTree(const std::string& path) {
    if (const int injected = fault_injection::Take(Operation::CreateFolder, path); injected != 0) {
        Raise(injected, path, Expected::Folder);
    }
    for (std::size_t end = path.find('/', 1); end != std::string::npos;
         end = path.find('/', end + 1)) {
        MakeFolder(path.substr(0, end));
    }
    if (const int code = MakeFolder(path); code != 0 && !(code == EEXIST && IsFolder(path))) {
        Raise(code, path, Expected::Folder);
    }
}

std::string CopyToTemporary(const std::string& source, const std::string& destination) {
    if (const int injected = fault_injection::Take(Operation::Copy, destination); injected != 0) {
        Raise(injected, source, Expected::File);
    }
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
    int code = fault_injection::Take(Operation::Rename, path);
    if (code == 0 && ::rename(path.c_str(), aside.c_str()) != 0) {
        code = errno;
    }
    if (code != 0) {
        ::unlink(aside.c_str());
        Raise(code, path, Expected::File);
    }
    return aside;
}

void PutInPlace(const std::string& file, const std::string& destination) {
    int code = fault_injection::Take(Operation::Rename, destination);
    if (code == 0 && ::rename(SystemPath(file), SystemPath(destination)) != 0) {
        code = errno;
    }
    if (code != 0) {
        Raise(code, destination, Expected::File);
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
        (void)!::ftruncate(file.Get(), before.st_size);
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

void RequireOnlyOwnerCanWrite(const std::string& path) {
    struct stat info {};
    if (::stat(SystemPath(path), &info) != 0) {
        Raise(errno, path, Expected::Folder);
    }
    const bool ownerTrusted = info.st_uid == 0 || info.st_uid == ::geteuid();
    if (!ownerTrusted || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        throw RuntimeError(error::kPermissionDenied,
                           "Permission denied: " + path + " can be changed by another user");
    }
}

// A spawn rather than a fork: the program starts without this process being copied first, in a
// session of its own, and a failing exec is reported here.
std::int64_t StartProgramHidden(const std::string& name) {
    auto program = FindProgram(SystemPath(name));
    if (!program) {
        throw RuntimeError(error::kFileNotFound, "File not found", name, ENOENT);
    }
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDWR, 0);
    ::posix_spawn_file_actions_adddup2(&actions, 0, 1);
    ::posix_spawn_file_actions_adddup2(&actions, 0, 2);
    ::posix_spawnattr_init(&attributes);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    char* const arguments[] = {program->data(), nullptr};
    pid_t child = 0;
    const int failure =
        ::posix_spawn(&child, program->c_str(), &actions, &attributes, arguments, environ);
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    if (failure != 0) {
        Raise(failure, *program, Expected::File);
    }
    ReapWhenEnded(child);
    return child;
}

std::string LogonUserName(std::size_t bufferSize) {
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string scratch(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384, '\0');
    struct passwd entry {};
    struct passwd* found = nullptr;
    const int result = ::getpwuid_r(::geteuid(), &entry, scratch.data(), scratch.size(), &found);
    if (result != 0) {
        throw SystemCallFailed{static_cast<std::uint32_t>(result)};
    }
    if (found == nullptr) {
        throw SystemCallFailed{ENOENT};
    }
    std::string name = entry.pw_name;
    if (name.size() + 1 > bufferSize) {
        throw SystemCallFailed{ERANGE};
    }
    return name;
}

std::string LocalDateTimeText() {
    static const std::locale userLocale = UserLocale();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::ostringstream text;
    text.imbue(userLocale);
    text << std::put_time(&local, "%x %X");
    return text.str();
}

std::vector<std::string> Drives() {
    std::vector<std::string> drives{"/"};
    for (const auto& mount : MountTable()) {
        const std::string& point = mount.point;
        const bool isSystem = point.starts_with("/proc") || point.starts_with("/sys") ||
                              point.starts_with("/dev") || point.starts_with("/run");
        // Containers mount single files (/etc/hosts) too; only folders can be browsed.
        if (!mount.pseudo && !isSystem && IsFolder(point) &&
            std::find(drives.begin(), drives.end(), point) == drives.end()) {
            drives.push_back(point);
        }
    }
    return drives;
}

std::string CurrentFolderOfDrive(const std::string& drive) {
    if (!IsFolder(drive) || ::access(drive.c_str(), R_OK | X_OK) != 0) {
        throw RuntimeError(error::kDeviceUnavailable, "Device unavailable");
    }
    std::string current = CurrentFolder();
    return VolumeOf(current) == drive ? current : drive;
}

}  // namespace platform
