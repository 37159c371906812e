#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <utility>
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
    return ::CreateDirectoryW(SystemPath(path).c_str(), security.Attributes()) ? ERROR_SUCCESS
                                                                               : ::GetLastError();
}

// A volume without permissions (FAT) keeps nobody out, and there is nothing to check.
bool KeepsPermissions(const std::string& path) {
    wchar_t root[MAX_PATH] = {};
    DWORD flags = 0;
    if (!::GetVolumePathNameW(Wide(path).c_str(), root, MAX_PATH) ||
        !::GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
        return true;
    }
    return (flags & FS_PERSISTENT_ACLS) != 0;
}

// The owner and access list of an existing folder; the descriptor holds both.
struct OwnerAndAccess {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    std::unique_ptr<void, decltype(&::LocalFree)> descriptor{nullptr, &::LocalFree};
};

void RequireExists(const std::string& path, const std::wstring& wide) {
    if (::GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES) {
        RaiseLast(path, Expected::Folder);
    }
}

OwnerAndAccess ReadOwnerAndAccess(const std::string& path, const std::wstring& wide) {
    OwnerAndAccess read;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD result = ::GetNamedSecurityInfoW(
        wide.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
        &read.owner, nullptr, &read.dacl, nullptr, &descriptor);
    if (result != ERROR_SUCCESS) {
        Raise(result, path, Expected::Folder);
    }
    read.descriptor.reset(descriptor);
    return read;
}

// Fails when anyone but the trusted can change the place, rights in harmless aside.
void RequireTrustedPlace(const std::string& path, DWORD harmless) {
    const std::wstring wide = SystemPath(path);
    RequireExists(path, wide);
    if (!KeepsPermissions(path)) {
        return;
    }
    const OwnerAndAccess read = ReadOwnerAndAccess(path, wide);
    std::string who = security::OthersWhoCanChange(read.owner, read.dacl,
                                                   security::RunningUser().Get(), harmless);
    if (!who.empty()) {
        throw RuntimeError(error::kPermissionDenied, path, 0, Reason::OthersCanChange)
            .ChangeableBy(std::move(who));
    }
}

// Each folder above path up to its drive's root ("C:\\") or its share ("\\\\server\\share").
std::vector<std::string> FoldersAbove(const std::string& path) {
    std::vector<std::string> folders;
    std::string rest = path;
    for (;;) {
        const auto cut = rest.find_last_of("\\/");
        if (cut == std::string::npos || cut == 0) {
            return folders;
        }
        std::string parent = rest.substr(0, cut);
        if (parent.size() == 2 && parent[1] == ':') {
            folders.push_back(parent + "\\");
            return folders;
        }
        const bool onShare =
            parent.size() > 2 && IsPathSeparator(parent[0]) && IsPathSeparator(parent[1]);
        if (onShare && parent.find_first_of("\\/", 2) == std::string::npos) {
            return folders;
        }
        folders.push_back(parent);
        rest = std::move(parent);
    }
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

std::string PathKey(const std::string& path) {
    std::wstring wide = Wide(path);
    if (!wide.empty()) {
        ::CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    }
    for (wchar_t& c : wide) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return Utf8(wide);
}

std::string FullFolderPath(const std::string& folder) {
    SystemPath(folder);
    if (!IsFolder(folder)) {
        throw RuntimeError(error::kPathNotFound, folder);
    }
    return FullFolderPathOf(folder);
}

std::vector<std::string> SubfolderNames(const std::string& folder) {
    const bool endsInSeparator = !folder.empty() && IsPathSeparator(folder.back());
    const std::string pattern = folder + (endsInSeparator ? "*" : "\\*");
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE first = ::FindFirstFileW(SystemPath(pattern).c_str(), &found);
    if (first == INVALID_HANDLE_VALUE) {
        return names;
    }
    const std::unique_ptr<void, decltype(&::FindClose)> search(first, &::FindClose);
    do {
        const std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != L"." &&
            name != L"..") {
            names.push_back(Utf8(name));
        }
    } while (::FindNextFileW(search.get(), &found));
    return names;
}

std::string CurrentFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) {
            RaiseLast(".", Expected::Folder);
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return Utf8(buffer);
        }
        buffer.resize(length);
    }
}

// As the runtime's ChDir does: a folder on another drive becomes that drive's current folder,
// which the system keeps in the "=X:" variable, and the current drive does not change.
void ChangeFolder(const std::string& path) {
    const std::wstring wide = SystemPath(path);
    const auto drive = DriveLetterOf(path);
    if (drive && drive != DriveLetterOf(CurrentFolder())) {
        const DWORD attributes = ::GetFileAttributesW(wide.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            RaiseLast(path, Expected::Folder);
        }
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            Raise(ERROR_PATH_NOT_FOUND, path, Expected::Folder);
        }
        const std::wstring variable = Wide(std::string("=") + *drive + ":");
        if (!::SetEnvironmentVariableW(variable.c_str(), Wide(FullFolderPathOf(path)).c_str())) {
            RaiseLast(path, Expected::Folder);
        }
        return;
    }
    if (!::SetCurrentDirectoryW(wide.c_str())) {
        RaiseLast(path, Expected::Folder);
    }
}

void CreateFolder(const std::string& path) {
    if (const DWORD code = MakeFolder(path); code != ERROR_SUCCESS) {
        Raise(code, path, Expected::Folder);
    }
}

void MoveToNewName(const std::string& from, const std::string& to) {
    if (!::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), MOVEFILE_WRITE_THROUGH)) {
        RaiseLast(from, Expected::File);
    }
}

void RemoveTree(const std::string& folder) {
    std::error_code failure;
    std::filesystem::remove_all(std::filesystem::path(SystemPath(folder)), failure);
    if (failure) {
        RaiseForSystemError(failure.value(), folder);
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
    RequireTrustedPlace(path, 0);
}

void RequireNobodyElseCanChange(const std::string& path) {
    RequireTrustedPlace(path, 0);
    for (const std::string& folder : FoldersAbove(path)) {
        RequireTrustedPlace(folder, security::kAddingRights);
    }
}

// Every user's launcher follows what the administrators or the system own, not what one
// administrator does; and a folder the administrators own is the installing administrator's too.
// What is checked and changed is the folder held open, not a name that could be swapped between.
void GiveInstallersAccess(const std::string& folder) {
    const std::wstring wide = SystemPath(folder);
    RequireExists(folder, wide);
    if (!IsFolder(folder) || !KeepsPermissions(folder)) {
        return;
    }
    const auto open = [&wide](DWORD access) {
        return ::CreateFileW(wide.c_str(), access,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    };
    // Without leave to change it, it can still be found followable as it is.
    Handle held(open(READ_CONTROL | WRITE_DAC | WRITE_OWNER));
    if (!held.Valid()) {
        held.Reset(open(READ_CONTROL));
    }
    if (!held.Valid()) {
        RaiseLast(folder, Expected::Folder);
    }
    OwnerAndAccess read;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (const DWORD result = ::GetSecurityInfo(
            held.Get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
            &read.owner, nullptr, &read.dacl, nullptr, &descriptor);
        result != ERROR_SUCCESS) {
        Raise(result, folder, Expected::Folder);
    }
    read.descriptor.reset(descriptor);
    const PSID owner = read.owner;
    const security::RunningUser user;
    const security::InstallFor scope = security::InstallForRunningUser();
    const bool forEveryUser = scope == security::InstallFor::EveryUser;
    const security::Sid administrators = security::Administrators();
    const bool followable =
        security::OnlyTrustedCanChange(owner, read.dacl, forEveryUser ? nullptr : user.Get());
    const bool own = (user.Get() != nullptr && ::EqualSid(owner, user.Get())) ||
                     (forEveryUser && ::EqualSid(owner, administrators.Get()));
    if (followable) {
        return;
    }
    if (!own) {
        throw RuntimeError(error::kPermissionDenied, folder, 0, Reason::OthersCanChange)
            .ChangeableBy(security::OthersWhoCanChange(owner, read.dacl,
                                                       forEveryUser ? nullptr : user.Get()));
    }
    security::FolderSecurity security(scope, user.Get());
    if (const DWORD code = security.ApplyTo(held.Get()); code != ERROR_SUCCESS) {
        Raise(code, folder, Expected::Folder);
    }
}

}  // namespace platform
