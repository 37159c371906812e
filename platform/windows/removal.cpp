#include "platform/removal.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <iterator>
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

namespace {

constexpr DWORD kMissing[] = {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_INVALID_NAME,
                              ERROR_DIRECTORY};

bool IsMissing(DWORD code) {
    return std::find(std::begin(kMissing), std::end(kMissing), code) != std::end(kMissing);
}

// Opens what is at path itself, a reparse point included, never what it points to.
HANDLE OpenItself(const std::string& path, DWORD access, DWORD share) {
    return ::CreateFileW(SystemPath(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// Every name below place is opened in turn and held, each checked by its handle to be a real
// folder; the last is checked the same way, then removed by its path. Win32 before Vista has no
// removal by handle, but with each folder on the way held against renaming the path still leads
// through the folders checked, and DeleteFileW and RemoveDirectoryW remove a reparse point at
// the last name itself, never what it points to.
RemovalResult RemoveBelow(const std::string& place, const std::vector<std::string>& names,
                          const std::string& path, bool folder) {
    const Expected expected = folder ? Expected::Folder : Expected::File;
    if (names.empty()) {
        Raise(ERROR_INVALID_PARAMETER, path, expected);
    }
    std::deque<Handle> held;  // its elements never move
    held.emplace_back(::CreateFileW(SystemPath(place).c_str(), FILE_READ_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!held.back().Valid()) {
        const DWORD code = ::GetLastError();
        if (IsMissing(code)) {
            return {Reached::Gone, {}};
        }
        Raise(code, place, Expected::Folder);
    }
    std::string reached = place;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const bool last = i + 1 == names.size();
        reached += (IsPathSeparator(reached.back()) ? "" : "\\") + names[i];
        // A folder on the way is held with data access and without FILE_SHARE_DELETE, so that
        // no one can rename, move or remove it, and so swap another folder or a junction in for
        // it. The last is only looked at: attribute access takes no part in sharing.
        held.emplace_back(last ? OpenItself(reached, FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)
                               : OpenItself(reached, FILE_READ_DATA | FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE));
        if (!held.back().Valid()) {
            const DWORD code = ::GetLastError();
            if (IsMissing(code)) {
                return {Reached::Gone, {}};
            }
            Raise(code, reached, last ? expected : Expected::Folder);
        }
        BY_HANDLE_FILE_INFORMATION info{};
        if (!::GetFileInformationByHandle(held.back().Get(), &info)) {
            RaiseLast(reached, last ? expected : Expected::Folder);
        }
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            return {Reached::ThroughLink, reached};
        }
        const bool isFolder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!last && !isFolder) {
            return {Reached::Gone, {}};
        }
        if (last && isFolder != folder) {
            Raise(ERROR_ACCESS_DENIED, path, expected);
        }
    }
    held.back().Close();
    const bool removed = folder ? ::RemoveDirectoryW(SystemPath(path).c_str())
                                : ::DeleteFileW(SystemPath(path).c_str());
    if (!removed) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND) {
            return {Reached::Gone, {}};
        }
        if (folder && code == ERROR_DIR_NOT_EMPTY) {
            return {Reached::NotEmpty, {}};
        }
        Raise(code, path, expected);
    }
    return {Reached::Removed, {}};
}

}  // namespace

RemovalResult RemoveFileBelow(const std::string& place, const std::vector<std::string>& names,
                              const std::string& path) {
    return RemoveBelow(place, names, path, false);
}

RemovalResult RemoveEmptyFolderBelow(const std::string& place,
                                     const std::vector<std::string>& names,
                                     const std::string& path) {
    return RemoveBelow(place, names, path, true);
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
