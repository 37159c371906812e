// What the launcher follows: only places nobody but their owner can change, owned by the running
// user, SYSTEM or the Administrators, checked by the handle that then holds them.

#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/windows/folder_security.h"
#include "platform/windows/support.h"
#include "platform/windows/system_function.h"
// After <windows.h>, which it needs.
#include <aclapi.h>

namespace platform {

using namespace detail;

namespace {

// Held for the rest of the program without leave to delete, rename or change them, so that the
// folder and the program checked are the ones started.
HANDLE& HeldFolder() {
    static HANDLE held = INVALID_HANDLE_VALUE;
    return held;
}

HANDLE& HeldProgram() {
    static HANDLE held = INVALID_HANDLE_VALUE;
    return held;
}

void Hold(HANDLE& slot, HANDLE handle) {
    if (slot != INVALID_HANDLE_VALUE) {
        ::CloseHandle(slot);
    }
    slot = handle;
}

// A volume without permissions (FAT) keeps nobody out, and there is nothing to check.
bool KeepsPermissions(HANDLE held, const std::string& place) {
    const std::optional<DWORD> flags = VolumeFlagsOf(held, place);
    return !flags || (*flags & FS_PERSISTENT_ACLS) != 0;
}

void RequireTrusted(HANDLE held, const std::string& place, Expected expected) {
    if (!KeepsPermissions(held, place)) {
        return;
    }
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD result = ::GetSecurityInfo(held, SE_FILE_OBJECT,
                                           OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                           &owner, nullptr, &dacl, nullptr, &descriptor);
    if (result != ERROR_SUCCESS) {
        Raise(result, place, expected);
    }
    std::string who = security::OthersWhoCanChange(owner, dacl, security::RunningUser().Get());
    ::LocalFree(descriptor);
    if (!who.empty()) {
        throw RuntimeError(error::kPermissionDenied, place, 0, Reason::OthersCanChange)
            .ChangeableBy(std::move(who));
    }
}

DWORD AttributesOf(HANDLE held) {
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileInformationByHandle(held, &info) ? info.dwFileAttributes : 0;
}

}  // namespace

std::optional<DWORD> detail::VolumeFlagsOf(HANDLE held, const std::string& place) {
    using VolumeByHandle =
        BOOL WINAPI(HANDLE, LPWSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPWSTR, DWORD);
    VolumeByHandle* const byHandle =
        SystemFunction<VolumeByHandle>(L"kernel32.dll", "GetVolumeInformationByHandleW");
    DWORD flags = 0;
    if (byHandle != nullptr) {
        return byHandle(held, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)
                   ? std::optional(flags)
                   : std::nullopt;
    }
    wchar_t volume[MAX_PATH] = {};
    const bool found =
        ::GetVolumePathNameW(SystemPath(place).c_str(), volume, MAX_PATH) &&
        ::GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0);
    return found ? std::optional(flags) : std::nullopt;
}

void EnterTrustedFolder(const std::string& folder) {
    Handle held(::CreateFileW(SystemPath(folder).c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!held.Valid()) {
        RaiseLast(folder, Expected::Folder);
    }
    if ((AttributesOf(held.Get()) & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        Raise(ERROR_PATH_NOT_FOUND, folder, Expected::Folder);
    }
    RequireTrusted(held.Get(), folder, Expected::Folder);
    ChangeFolder(folder);
    Hold(HeldFolder(), held.Release());
}

// Opened without following a link and without leave for anyone to change it until it is started.
void RequireTrustedProgram(const std::string& folder, const std::string& name) {
    const std::string path = folder + "\\" + name;
    Handle held(::CreateFileW(SystemPath(path).c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr));
    if (!held.Valid()) {
        RaiseLast(path, Expected::File);
    }
    constexpr DWORD kNotPlain = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    if ((AttributesOf(held.Get()) & kNotPlain) != 0) {
        RaiseForSystemError(ERROR_ACCESS_DENIED, path);
    }
    RequireTrusted(held.Get(), path, Expected::File);
    Hold(HeldProgram(), held.Release());
}

// By its full path: the search for a bare name would look in the launcher's own folder first.
std::int64_t StartInstalledProgram(const std::string& folder, const std::string& name) {
    const std::string path = folder + "\\" + name;
    std::wstring commandLine = L"\"" + Wide(path) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(SystemPath(path).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &startup, &process)) {
        RaiseLast(path, Expected::File);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    Hold(HeldProgram(), INVALID_HANDLE_VALUE);
    return process.dwProcessId;
}

}  // namespace platform
