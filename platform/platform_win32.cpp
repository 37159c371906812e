#include "platform/fault_injection.h"
#include "platform/folder_security_win32.h"
#include "platform/platform.h"
#include "platform/program_hooks.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/win32/windows_api.h"
// After <windows.h>, which they need.
#include <aclapi.h>
#include <shlwapi.h>

namespace platform {

namespace {

using fault_injection::Operation;

// The system error a test armed for this operation, or 0.
DWORD Injected(Operation operation, const std::string& place) {
    return static_cast<DWORD>(fault_injection::Take(operation, place));
}

enum class Expected { File, Folder };

std::string NameOf(const std::string& path) {
    const auto found = path.find_last_of("\\/:");
    return found == std::string::npos ? path : path.substr(found + 1);
}

// With its separator kept, so that a root stays a root ("C:\").
std::string FolderOf(const std::string& path) {
    const auto found = path.find_last_of("\\/:");
    return found == std::string::npos ? std::string(".") : path.substr(0, found + 1);
}

// A NUL would end the name early, so the system would act on another path than the one given.
const char* SystemPath(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        throw RuntimeError(error::kBadFileName, "Bad file name");
    }
    return path.c_str();
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The same failure reads differently to the user depending on what the path was meant to be.
[[noreturn]] void Raise(DWORD code, const std::string& path, Expected expected) {
    const auto systemCode = static_cast<int>(code);
    if (code == ERROR_FILE_NOT_FOUND &&
        (expected == Expected::Folder || !IsFolder(FolderOf(path)))) {
        throw RuntimeError(error::kPathNotFound, "Path not found", path, systemCode);
    }
    const bool exists = code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS;
    if ((exists && expected == Expected::Folder) ||
        (code == ERROR_ACCESS_DENIED && IsFolder(path))) {
        throw RuntimeError(error::kPathFileAccessError, "Path/File access error", path, systemCode);
    }
    RaiseForSystemError(systemCode, path);
}

[[noreturn]] void RaiseLast(const std::string& path, Expected expected) {
    Raise(::GetLastError(), path, expected);
}

class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Close(); }

    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    bool Close() {
        const bool closed = !Valid() || ::CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

Handle OpenForWriting(const std::string& path, DWORD disposition) {
    return Handle(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

void WriteAll(HANDLE file, const std::string& bytes, const std::string& path) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (const DWORD injected = Injected(Operation::Write, path); injected != 0) {
            Raise(injected, path, Expected::File);
        }
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) {
            RaiseLast(path, Expected::File);
        }
        done += written;
    }
}

// A new, empty file beside path, made exclusively (nothing planted under its name can be
// written through) under a name an install recognises as its own. Returns its name.
std::string MakeTemporaryBeside(const std::string& path) {
    static unsigned sequence = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char suffix[16] = {};
        std::snprintf(
            suffix, sizeof suffix, "%06lX",
            (::GetTickCount() ^ (::GetCurrentProcessId() << 12) ^ ++sequence) & 0xFFFFFFUL);
        const std::string name = FolderOf(path) + kPartialFilePrefix + suffix;
        const Handle file(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.Valid()) {
            return name;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            RaiseLast(path, Expected::File);
        }
    }
    Raise(ERROR_FILE_EXISTS, path, Expected::File);
}

// A file made beside its destination under a temporary name and moved over it only when
// complete, so the destination holds either its old bytes or all the new ones.
class PendingFile {
public:
    explicit PendingFile(const std::string& destination) : destination_(destination) {
        if (IsFolder(destination)) {
            Raise(ERROR_ACCESS_DENIED, destination, Expected::File);
        }
        if (NameOf(destination).empty()) {
            Raise(ERROR_PATH_NOT_FOUND, destination, Expected::File);
        }
        temporary_ = MakeTemporaryBeside(destination);
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile() {
        if (!temporary_.empty()) {
            ::SetFileAttributesA(temporary_.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(temporary_.c_str());
        }
    }

    const std::string& Name() const { return temporary_; }

    [[noreturn]] void Fail(DWORD code) const { Raise(code, destination_, Expected::File); }

    void Commit() {
        const std::string complete = Keep();
        try {
            PutInPlace(complete, destination_);
        } catch (const RuntimeError&) {
            RemoveFile(complete);
            throw;
        }
    }

    // The complete file, on the disk, left under its temporary name for the caller.
    std::string Keep() {
        const Handle file(::CreateFileA(temporary_.c_str(), GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid() || !::FlushFileBuffers(file.Get())) {
            Fail(::GetLastError());
        }
        return std::exchange(temporary_, std::string());
    }

private:
    std::string destination_;
    std::string temporary_;
};

struct FileIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;

    bool operator==(const FileIdentity&) const = default;
};

// Volume and file index name one file whatever spelling of its path reached it.
std::optional<FileIdentity> IdentityOf(const std::string& path) {
    const Handle file(::CreateFileA(path.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.Valid() || !::GetFileInformationByHandle(file.Get(), &info)) {
        return std::nullopt;
    }
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// The full form of a folder path, ending in a backslash only at a root ("C:\", "\\host\share\").
std::string FullFolderPathOf(const std::string& path) {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()),
                                                buffer.data(), nullptr);
        if (length == 0) {
            RaiseLast(path, Expected::Folder);
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(length);
    }
    if (IsPathSeparator(buffer.back()) && !::PathIsRootA(buffer.c_str())) {
        buffer.pop_back();
    }
    return buffer;
}

std::optional<char> DriveLetterOf(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    }
    return std::nullopt;
}

DWORD MakeFolder(const std::string& path) {
    const security::RunningUser user;
    security::FolderSecurity security(security::InstallForRunningUser(), user.Get());
    return ::CreateDirectoryA(SystemPath(path), security.Attributes()) ? ERROR_SUCCESS
                                                                       : ::GetLastError();
}

// A volume without permissions (FAT) keeps nobody out, and there is nothing to check.
bool KeepsPermissions(const std::string& path) {
    char root[MAX_PATH] = {};
    DWORD flags = 0;
    if (!::GetVolumePathNameA(path.c_str(), root, MAX_PATH) ||
        !::GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
        return true;
    }
    return (flags & FS_PERSISTENT_ACLS) != 0;
}

}  // namespace

void detail::SystemMessageBox(const std::string& text, const std::string& title) {
    const HWND owner = ::GetActiveWindow();
    const UINT modality = owner != nullptr ? MB_APPLMODAL : MB_TASKMODAL | MB_SETFOREGROUND;
    ::MessageBoxA(owner, text.c_str(), title.c_str(), MB_OK | modality);
}

std::size_t MaxPathLength() {
    return MAX_PATH - 1;
}

bool IsFullPath(const std::string& path) {
    const bool onDrive = path.size() >= 3 && DriveLetterOf(path) && IsPathSeparator(path[2]);
    const bool onShare = path.size() >= 3 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]);
    return onDrive || onShare;
}

bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

bool PathsIgnoreCase() {
    return true;
}

std::string FullFolderPath(const std::string& folder) {
    if (!IsFolder(SystemPath(folder))) {
        throw RuntimeError(error::kPathNotFound, "Path not found");
    }
    return FullFolderPathOf(folder);
}

std::vector<std::string> SubfolderNames(const std::string& folder) {
    const bool endsInSeparator = !folder.empty() && IsPathSeparator(folder.back());
    const std::string pattern = folder + (endsInSeparator ? "*" : "\\*");
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    const HANDLE first = ::FindFirstFileA(SystemPath(pattern), &found);
    if (first == INVALID_HANDLE_VALUE) {
        return names;
    }
    const std::unique_ptr<void, decltype(&::FindClose)> search(first, &::FindClose);
    do {
        const std::string name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != "." &&
            name != "..") {
            names.push_back(name);
        }
    } while (::FindNextFileA(search.get(), &found));
    return names;
}

std::string CurrentFolder() {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) {
            RaiseLast(".", Expected::Folder);
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length);
    }
}

// As the runtime's ChDir does: a folder on another drive becomes that drive's current folder,
// which the system keeps in the "=X:" variable, and the current drive does not change.
void ChangeFolder(const std::string& path) {
    SystemPath(path);
    const auto drive = DriveLetterOf(path);
    if (drive && drive != DriveLetterOf(CurrentFolder())) {
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            RaiseLast(path, Expected::Folder);
        }
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            Raise(ERROR_PATH_NOT_FOUND, path, Expected::Folder);
        }
        const std::string variable = std::string("=") + *drive + ":";
        if (!::SetEnvironmentVariableA(variable.c_str(), FullFolderPathOf(path).c_str())) {
            RaiseLast(path, Expected::Folder);
        }
        return;
    }
    if (!::SetCurrentDirectoryA(path.c_str())) {
        RaiseLast(path, Expected::Folder);
    }
}

void CreateFolder(const std::string& path) {
    if (const DWORD injected = Injected(Operation::CreateFolder, path); injected != 0) {
        Raise(injected, path, Expected::Folder);
    }
    if (const DWORD code = MakeFolder(path); code != ERROR_SUCCESS) {
        Raise(code, path, Expected::Folder);
    }
}

void CreateFolderTree(const std::string& path) {
    if (const DWORD injected = Injected(Operation::CreateFolder, path); injected != 0) {
        Raise(injected, path, Expected::Folder);
    }
    for (std::size_t end = 0; end < path.size(); ++end) {
        if (end > 0 && IsPathSeparator(path[end]) && !IsPathSeparator(path[end - 1]) &&
            path[end - 1] != ':') {
            MakeFolder(path.substr(0, end));
        }
    }
    if (const DWORD code = MakeFolder(path);
        code != ERROR_SUCCESS && !(code == ERROR_ALREADY_EXISTS && IsFolder(path))) {
        Raise(code, path, Expected::Folder);
    }
}

std::string CopyToTemporary(const std::string& source, const std::string& destination) {
    if (const DWORD injected = Injected(Operation::Copy, destination); injected != 0) {
        Raise(injected, source, Expected::File);
    }
    SystemPath(destination);
    if (IsFolder(SystemPath(source))) {
        Raise(ERROR_ACCESS_DENIED, source, Expected::File);
    }
    const auto sourceIdentity = IdentityOf(source);
    if (!sourceIdentity) {
        RaiseLast(source, Expected::File);
    }
    if (IdentityOf(destination) == sourceIdentity) {
        return {};
    }
    PendingFile out(destination);
    if (const DWORD injected = Injected(Operation::Write, destination); injected != 0) {
        out.Fail(injected);
    }
    if (!::CopyFileA(source.c_str(), out.Name().c_str(), FALSE)) {
        out.Fail(::GetLastError());
    }
    return out.Keep();
}

std::string MoveAside(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(SystemPath(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            return {};
        }
        Raise(code, path, Expected::File);
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        Raise(ERROR_ACCESS_DENIED, path, Expected::File);
    }
    std::string aside = MakeTemporaryBeside(path);
    // A file open without leave to delete it (a running program, say) cannot be moved: the
    // install then fails and puts back what it moved.
    DWORD code = Injected(Operation::Rename, path);
    if (code == 0 && !::MoveFileExA(path.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        code = ::GetLastError();
    }
    if (code != 0) {
        ::DeleteFileA(aside.c_str());
        Raise(code, path, Expected::File);
    }
    return aside;
}

void PutInPlace(const std::string& file, const std::string& destination) {
    DWORD code = Injected(Operation::Rename, destination);
    if (code == 0 && !::MoveFileExA(SystemPath(file), SystemPath(destination),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        code = ::GetLastError();
    }
    if (code != 0) {
        Raise(code, destination, Expected::File);
    }
}

bool RemoveFile(const std::string& path) noexcept {
    if (path.find('\0') != std::string::npos) {
        return false;
    }
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileA(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Moves are made with MOVEFILE_WRITE_THROUGH: they are on the disk when they return.
void SyncFolder(const std::string& folder) {
    SystemPath(folder);
}

void RemovePartialFiles(const std::string& folder) {
    const std::string pattern = folder + "\\" + kPartialFilePrefix + "*";
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA(SystemPath(pattern), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            RemoveFile(folder + "\\" + found.cFileName);
        }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
}

std::int64_t FileLength(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(SystemPath(path), GetFileExInfoStandard, &data)) {
        RaiseLast(path, Expected::File);
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return 0;
    }
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                     data.nFileSizeLow);
}

void PrintLine(const std::string& path, OpenFor mode, const std::string& line) {
    // A link or junction planted at the name is opened itself, not followed, and then refused.
    constexpr DWORD kNotPlain = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    const DWORD attributes = ::GetFileAttributesA(SystemPath(path));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotPlain) != 0) {
        RaiseForSystemError(ERROR_CANT_ACCESS_FILE, path);
    }
    Handle file(::CreateFileA(SystemPath(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.Valid() || !::GetFileInformationByHandle(file.Get(), &info)) {
        RaiseLast(path, Expected::File);
    }
    if ((info.dwFileAttributes & kNotPlain) != 0 || ::GetFileType(file.Get()) != FILE_TYPE_DISK) {
        RaiseForSystemError(ERROR_CANT_ACCESS_FILE, path);
    }
    if (mode == OpenFor::Output && !::SetEndOfFile(file.Get())) {
        RaiseLast(path, Expected::File);
    }
    LARGE_INTEGER before{};
    if (!::SetFilePointerEx(file.Get(), {}, &before, FILE_END)) {
        RaiseLast(path, Expected::File);
    }
    try {
        WriteAll(file.Get(), line + "\r\n", path);
    } catch (const RuntimeError&) {
        // A line is in the file whole or not at all, also when the disk fills halfway through.
        ::SetFilePointerEx(file.Get(), before, nullptr, FILE_BEGIN);
        ::SetEndOfFile(file.Get());
        throw;
    }
    if (!file.Close()) {
        RaiseLast(path, Expected::File);
    }
}

void ReplaceFile(const std::string& path, const std::string& contents) {
    PendingFile out(SystemPath(path));
    {
        Handle file = OpenForWriting(out.Name(), TRUNCATE_EXISTING);
        if (!file.Valid()) {
            out.Fail(::GetLastError());
        }
        WriteAll(file.Get(), contents, path);
        if (!::FlushFileBuffers(file.Get()) || !file.Close()) {
            out.Fail(::GetLastError());
        }
    }
    out.Commit();
}

std::string ReadPrefix(const std::string& path, std::size_t maxBytes) {
    const Handle file(::CreateFileA(SystemPath(path), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        RaiseLast(path, Expected::File);
    }
    std::string contents(maxBytes, '\0');
    std::size_t filled = 0;
    while (filled < maxBytes) {
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(maxBytes - filled, 1 << 20));
        DWORD got = 0;
        if (!::ReadFile(file.Get(), contents.data() + filled, wanted, &got, nullptr)) {
            RaiseLast(path, Expected::File);
        }
        if (got == 0) {
            break;
        }
        filled += got;
    }
    contents.resize(filled);
    return contents;
}

void RequireOnlyOwnerCanWrite(const std::string& path) {
    if (::GetFileAttributesA(SystemPath(path)) == INVALID_FILE_ATTRIBUTES) {
        RaiseLast(path, Expected::Folder);
    }
    if (!KeepsPermissions(path)) {
        return;
    }
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD result = ::GetNamedSecurityInfoA(
        path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
        &owner, nullptr, &dacl, nullptr, &descriptor);
    if (result != ERROR_SUCCESS) {
        Raise(result, path, Expected::Folder);
    }
    const bool safe = security::OnlyTrustedCanChange(owner, dacl, security::RunningUser().Get());
    ::LocalFree(descriptor);
    if (!safe) {
        throw RuntimeError(error::kPermissionDenied,
                           "Permission denied: " + path + " can be changed by another user");
    }
}

// The system's own search for a bare name: the running program's folder, the current folder,
// the system folders, then PATH.
std::int64_t StartProgramHidden(const std::string& name) {
    SystemPath(name);
    std::string commandLine = name.find(' ') == std::string::npos ? name : "\"" + name + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        RaiseLast(name, Expected::File);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return process.dwProcessId;
}

std::string LogonUserName(std::size_t bufferSize) {
    std::string buffer(bufferSize, ' ');
    auto size = static_cast<DWORD>(bufferSize);
    if (!::GetUserNameA(buffer.data(), &size)) {
        throw SystemCallFailed{::GetLastError()};
    }
    return buffer.substr(0, buffer.find('\0'));
}

std::string LocalDateTimeText() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char date[128] = {};
    char time[128] = {};
    if (::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, sizeof date) ==
            0 ||
        ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, sizeof time) == 0) {
        RaiseForSystemError(static_cast<int>(::GetLastError()));
    }
    return std::string(date) + " " + time;
}

std::vector<std::string> Drives() {
    std::string buffer(::GetLogicalDriveStringsA(0, nullptr) + 1, '\0');
    const DWORD length =
        ::GetLogicalDriveStringsA(static_cast<DWORD>(buffer.size()), buffer.data());
    std::vector<std::string> drives;
    for (std::size_t start = 0; start < length && buffer[start] != '\0';) {
        std::string root(buffer.c_str() + start);
        start += root.size() + 1;
        if (!root.empty() && IsPathSeparator(root.back())) {
            root.pop_back();
        }
        drives.push_back(root);
    }
    return drives;
}

std::string CurrentFolderOfDrive(const std::string& drive) {
    const std::string bare =
        !drive.empty() && IsPathSeparator(drive.back()) ? drive.substr(0, drive.size() - 1) : drive;
    bool readable = bare.size() == 2 && DriveLetterOf(bare).has_value();
    if (readable) {
        // An empty drive must fail here, not ask the user to insert a disk.
        const UINT previousMode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
        readable = ::GetVolumeInformationA((bare + "\\").c_str(), nullptr, 0, nullptr, nullptr,
                                           nullptr, nullptr, 0) != 0;
        ::SetErrorMode(previousMode);
    }
    if (!readable) {
        throw RuntimeError(error::kDeviceUnavailable, "Device unavailable");
    }
    return FullFolderPathOf(bare);
}

}  // namespace platform
