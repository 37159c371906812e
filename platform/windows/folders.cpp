#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/windows/folder_security.h"
#include "platform/windows/support.h"
// After <windows.h>, which it needs.
#include <aclapi.h>

namespace platform {

using namespace detail;

namespace {

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
        throw RuntimeError(error::kPathNotFound, folder);
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
    if (const DWORD code = MakeFolder(path); code != ERROR_SUCCESS) {
        Raise(code, path, Expected::Folder);
    }
}

void CreateFolderTree(const std::string& path) {
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
        throw RuntimeError(error::kPermissionDenied, path, 0, Reason::OthersCanChange);
    }
}

}  // namespace platform
