#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/windows/support.h"

namespace platform {

using namespace detail;

namespace {

struct FileIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;

    bool operator==(const FileIdentity&) const = default;
};

// Volume and file index name one file whatever spelling of its path reached it.
std::optional<FileIdentity> IdentityOf(const std::string& path) {
    const Handle file(::CreateFileW(Wide(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.Valid() || !::GetFileInformationByHandle(file.Get(), &info)) {
        return std::nullopt;
    }
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

}  // namespace

std::string CopyToTemporary(const std::string& source, const std::string& destination) {
    SystemPath(destination);
    SystemPath(source);
    if (IsFolder(source)) {
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
    if (!::CopyFileW(Wide(source).c_str(), Wide(out.Name()).c_str(), FALSE)) {
        out.Fail(::GetLastError());
    }
    return out.Keep();
}

std::string MoveAside(const std::string& path) {
    const std::wstring wide = SystemPath(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
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
    const std::wstring wideAside = Wide(aside);
    // A file open without leave to delete it (a running program, say) cannot be moved: the
    // install then fails and puts back what it moved.
    if (!::MoveFileExW(wide.c_str(), wideAside.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD code = ::GetLastError();
        ::DeleteFileW(wideAside.c_str());
        Raise(code, path, Expected::File);
    }
    return aside;
}

void PutInPlace(const std::string& file, const std::string& destination) {
    if (!::MoveFileExW(SystemPath(file).c_str(), SystemPath(destination).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        RaiseLast(destination, Expected::File);
    }
}

bool RemoveFile(const std::string& path) noexcept {
    if (path.find('\0') != std::string::npos) {
        return false;
    }
    const std::wstring wide = Wide(path);
    ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileW(wide.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Moves are made with MOVEFILE_WRITE_THROUGH: they are on the disk when they return.
void SyncFolder(const std::string& folder) {
    SystemPath(folder);
}

void RemovePartialFiles(const std::string& folder) {
    const std::string pattern = folder + "\\" + kPartialFilePrefix + "*";
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(SystemPath(pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            RemoveFile(folder + "\\" + Utf8(found.cFileName));
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

}  // namespace platform
