#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

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

struct FileState {
    std::uint64_t size;
    FILETIME written;

    bool operator==(const FileState& other) const {
        return size == other.size && written.dwLowDateTime == other.written.dwLowDateTime &&
               written.dwHighDateTime == other.written.dwHighDateTime;
    }
};

std::optional<FileState> StateOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) {
        return std::nullopt;
    }
    return FileState{(static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                     info.ftLastWriteTime};
}

// Reads until the source ends, so that a source that grew shows too; the bytes copied, hashed
// on the way where asked.
std::uint64_t CopyContents(HANDLE in, const PendingFile& out, ContentHasher* hasher) {
    std::vector<char> buffer(std::size_t{1} << 18);
    std::uint64_t copied = 0;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            out.Fail(::GetLastError());
        }
        if (got == 0) {
            return copied;
        }
        if (hasher != nullptr) {
            hasher->Add({buffer.data(), got});
        }
        if (const DWORD code = WriteAll(out.File(), {buffer.data(), got}); code != ERROR_SUCCESS) {
            out.Fail(code);
        }
        copied += got;
    }
}

// Complete or an error: the source as it was when the copy began, unchanged at its end.
std::string CopyWhole(const std::string& source, const std::string& destination,
                      PendingFile::Naming naming, ContentHasher* hasher = nullptr) {
    const Handle in(::CreateFileW(Wide(source).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    const auto before = in.Valid() ? StateOf(in.Get()) : std::nullopt;
    if (!before) {
        RaiseLast(source, Expected::File);
    }
    PendingFile out(destination, naming);
    const std::uint64_t copied = CopyContents(in.Get(), out, hasher);
    const auto after = StateOf(in.Get());
    if (copied < before->size) {
        throw RuntimeError(error::kInputPastEndOfFile, source);
    }
    if (!after || copied != before->size || *after != *before) {
        throw RuntimeError(error::kPathFileAccessError, source, 0, Reason::ChangedWhileCopied);
    }
    return out.Keep();
}

void RequireFileSource(const std::string& source) {
    SystemPath(source);
    if (IsFolder(source)) {
        Raise(ERROR_ACCESS_DENIED, source, Expected::File);
    }
}

}  // namespace

std::string CopyToTemporary(const std::string& source, const std::string& destination) {
    SystemPath(destination);
    RequireFileSource(source);
    const auto sourceIdentity = IdentityOf(source);
    if (!sourceIdentity) {
        RaiseLast(source, Expected::File);
    }
    if (IdentityOf(destination) == sourceIdentity) {
        return {};
    }
    return CopyWhole(source, destination, PendingFile::Naming::Temporary);
}

FileContents CopyNewFile(const std::string& source, const std::string& destination) {
    SystemPath(destination);
    RequireFileSource(source);
    ContentHasher hasher;
    CopyWhole(source, destination, PendingFile::Naming::AtItsName, &hasher);
    return hasher.Result();
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
        const std::string name = folder + "\\" + Utf8(found.cFileName);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            RemoveFile(name);
        } else {
            std::error_code ignored;
            std::filesystem::remove_all(std::filesystem::path(Wide(name)), ignored);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

}  // namespace platform
