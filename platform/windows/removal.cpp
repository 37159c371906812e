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
    if (!::GetFileAttributesExA(SystemPath(path), GetFileExInfoStandard, &data)) {
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
    if (!::DeleteFileA(path.c_str())) {
        RaiseLast(path, Expected::File);
    }
}

void RemoveEmptyFolder(const std::string& path) {
    if (!::RemoveDirectoryA(SystemPath(path))) {
        RaiseLast(path, Expected::Folder);
    }
}

std::vector<std::string> EntriesOf(const std::string& folder) {
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA(SystemPath(folder + "\\*"), &found);
    if (search == INVALID_HANDLE_VALUE) {
        RaiseLast(folder, Expected::Folder);
    }
    std::vector<std::string> names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}

std::vector<std::string> SystemFolders() {
    std::vector<std::string> folders;
    char windows[MAX_PATH] = {};
    if (::GetWindowsDirectoryA(windows, MAX_PATH) != 0) {
        folders.emplace_back(windows);
    }
    for (const char* variable : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "ProgramData",
                                 "ALLUSERSPROFILE", "USERPROFILE", "PUBLIC"}) {
        char value[MAX_PATH] = {};
        const DWORD length = ::GetEnvironmentVariableA(variable, value, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            folders.emplace_back(value);
        }
    }
    for (const char* fixed : {"C:\\Program Files", "C:\\Program Files (x86)", "C:\\Users",
                              "C:\\Documents and Settings", "C:\\Windows"}) {
        folders.emplace_back(fixed);
    }
    return folders;
}

}  // namespace platform
