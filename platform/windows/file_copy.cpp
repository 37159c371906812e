#include <cstdint>
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
    const Handle file(::CreateFileA(path.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.Valid() || !::GetFileInformationByHandle(file.Get(), &info)) {
        return std::nullopt;
    }
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

struct FileState {
    std::uint64_t size;
    FILETIME written;

    bool operator==(const FileState& other) const {
        return size == other.size && written.dwLowDateTime == other.written.dwLowDateTime &&
               written.dwHighDateTime == other.written.dwHighDateTime;
    }
};

std::optional<FileState> StateOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return FileState{(static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                     data.ftLastWriteTime};
}

}  // namespace

std::string CopyToTemporary(const std::string& source, const std::string& destination) {
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
    const auto before = StateOf(source);
    PendingFile out(destination);
    if (!::CopyFileA(source.c_str(), out.Name().c_str(), FALSE)) {
        out.Fail(::GetLastError());
    }
    // Complete or an error: the source as it was when the copy began, unchanged at its end.
    const auto after = StateOf(source);
    const auto written = StateOf(out.Name());
    if (!before || !after || !written || written->size != before->size) {
        throw RuntimeError(error::kInputPastEndOfFile, source);
    }
    if (*after != *before) {
        throw RuntimeError(error::kPathFileAccessError, source, 0, Reason::ChangedWhileCopied);
    }
    return out.Keep();
}

std::string ReserveAside(const std::string& path) {
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
    return MakeTemporaryBeside(path);
}

void PutInPlace(const std::string& file, const std::string& destination) {
    if (!::MoveFileExA(SystemPath(file), SystemPath(destination),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        RaiseLast(destination, Expected::File);
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

}  // namespace platform
