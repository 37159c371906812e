#include "platform/windows/support.h"

#include <algorithm>

#include <cctype>
#include <cstdio>
#include <utility>

#include "platform/platform.h"
// After <windows.h>, which it needs.
#include <shlwapi.h>

namespace platform::detail {

std::string NameOf(const std::string& path) {
    const auto found = path.find_last_of("\\/:");
    return found == std::string::npos ? path : path.substr(found + 1);
}

std::string FolderOf(const std::string& path) {
    const auto found = path.find_last_of("\\/:");
    return found == std::string::npos ? std::string(".") : path.substr(0, found + 1);
}

std::wstring SystemPath(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        throw RuntimeError(error::kBadFileName, path.substr(0, path.find('\0')));
    }
    return Wide(path);
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void Raise(DWORD code, const std::string& path, Expected expected) {
    const auto systemCode = static_cast<int>(code);
    if (code == ERROR_FILE_NOT_FOUND &&
        (expected == Expected::Folder || !IsFolder(FolderOf(path)))) {
        throw RuntimeError(error::kPathNotFound, path, systemCode);
    }
    const bool exists = code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS;
    if ((exists && expected == Expected::Folder) ||
        (code == ERROR_ACCESS_DENIED && IsFolder(path))) {
        throw RuntimeError(error::kPathFileAccessError, path, systemCode);
    }
    RaiseForSystemError(systemCode, path);
}

void RaiseLast(const std::string& path, Expected expected) {
    Raise(::GetLastError(), path, expected);
}

bool Handle::Close() {
    const bool closed = !Valid() || ::CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
}

DWORD WriteAll(HANDLE file, std::string_view data) {
    while (!data.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(data.size(), 1 << 20));
        DWORD written = 0;
        if (!::WriteFile(file, data.data(), chunk, &written, nullptr)) {
            return ::GetLastError();
        }
        if (written == 0) {
            return ERROR_WRITE_FAULT;
        }
        data.remove_prefix(written);
    }
    return ERROR_SUCCESS;
}

std::string MakeTemporaryBeside(const std::string& path, Handle* held) {
    static unsigned sequence = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char suffix[16] = {};
        std::snprintf(
            suffix, sizeof suffix, "%06lX",
            (::GetTickCount() ^ (::GetCurrentProcessId() << 12) ^ ++sequence) & 0xFFFFFFUL);
        const std::string name = FolderOf(path) + kPartialFilePrefix + suffix;
        Handle file(::CreateFileW(Wide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.Valid()) {
            if (held != nullptr) {
                held->Reset(file.Release());
            }
            return name;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            RaiseLast(path, Expected::File);
        }
    }
    Raise(ERROR_FILE_EXISTS, path, Expected::File);
}

PendingFile::PendingFile(const std::string& destination, Naming naming)
    : destination_(destination) {
    if (IsFolder(destination)) {
        Raise(ERROR_ACCESS_DENIED, destination, Expected::File);
    }
    if (NameOf(destination).empty()) {
        Raise(ERROR_PATH_NOT_FOUND, destination, Expected::File);
    }
    if (naming == Naming::Temporary) {
        temporary_ = MakeTemporaryBeside(destination, &file_);
        return;
    }
    file_.Reset(::CreateFileW(SystemPath(destination).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_.Valid()) {
        RaiseLast(destination, Expected::File);
    }
    temporary_ = destination;
}

PendingFile::~PendingFile() {
    file_.Close();
    if (!temporary_.empty()) {
        const std::wstring temporary = Wide(temporary_);
        ::SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(temporary.c_str());
    }
}

void PendingFile::Commit() {
    const std::string complete = Keep();
    try {
        PutInPlace(complete, destination_);
    } catch (const RuntimeError&) {
        RemoveFile(complete);
        throw;
    }
}

std::string PendingFile::Keep() {
    if (!file_.Valid()) {
        file_.Reset(::CreateFileW(Wide(temporary_).c_str(), GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    if (!::FlushFileBuffers(file_.Get()) || !file_.Close()) {
        Fail(::GetLastError());
    }
    return std::exchange(temporary_, std::string());
}

std::string FullFolderPathOf(const std::string& path) {
    const std::wstring wide = Wide(path);
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()),
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
    if ((buffer.back() == L'\\' || buffer.back() == L'/') && !::PathIsRootW(buffer.c_str())) {
        buffer.pop_back();
    }
    return Utf8(buffer);
}

std::optional<char> DriveLetterOf(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    }
    return std::nullopt;
}

}  // namespace platform::detail
