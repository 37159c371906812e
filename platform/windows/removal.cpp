#include "platform/removal.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/windows/support.h"

namespace platform {

using namespace detail;

namespace {

std::int64_t Combined(DWORD high, DWORD low) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32) | low);
}

}  // namespace

EntryFacts FactsOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data)) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            return {};
        }
        Raise(code, path, Expected::File);
    }
    const DWORD attributes = data.dwFileAttributes;
    const EntryKind kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? EntryKind::Other
                           : (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0   ? EntryKind::Folder
                                                                            : EntryKind::File;
    return {kind, Combined(data.nFileSizeHigh, data.nFileSizeLow),
            Combined(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime)};
}

void RemoveOneFile(const std::string& path) {
    if (FactsOf(path).kind == EntryKind::Folder) {
        Raise(ERROR_ACCESS_DENIED, path, Expected::File);
    }
    if (!::DeleteFileW(SystemPath(path).c_str())) {
        RaiseLast(path, Expected::File);
    }
}

void RemoveEmptyFolder(const std::string& path) {
    if (!::RemoveDirectoryW(SystemPath(path).c_str())) {
        RaiseLast(path, Expected::Folder);
    }
}

std::vector<std::string> EntriesOf(const std::string& folder) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(SystemPath(folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        RaiseLast(folder, Expected::Folder);
    }
    std::vector<std::string> names;
    do {
        const std::string name = Utf8(found.cFileName);
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

std::vector<std::string> SystemFolders() {
    std::vector<std::string> folders;
    wchar_t windows[MAX_PATH] = {};
    if (::GetWindowsDirectoryW(windows, MAX_PATH) != 0) {
        folders.push_back(Utf8(windows));
    }
    for (const wchar_t* variable :
         {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432", L"ProgramData",
          L"ALLUSERSPROFILE", L"USERPROFILE", L"PUBLIC"}) {
        wchar_t value[MAX_PATH] = {};
        const DWORD length = ::GetEnvironmentVariableW(variable, value, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            folders.push_back(Utf8(value));
        }
    }
    for (const char* fixed : {"C:\\Program Files", "C:\\Program Files (x86)", "C:\\Users",
                              "C:\\Documents and Settings", "C:\\Windows"}) {
        folders.emplace_back(fixed);
    }
    return folders;
}

}  // namespace platform
