// What the launcher follows: only places nobody but their owner can change, owned by the running
// user, SYSTEM or the Administrators.

#include <string>

#include "platform/platform.h"
#include "platform/windows/support.h"

namespace platform {

using namespace detail;

namespace {

// Held open for the rest of the program without leave to delete or rename it, so the folder
// checked is the folder the program is started from.
HANDLE& HeldFolder() {
    static HANDLE held = INVALID_HANDLE_VALUE;
    return held;
}

}  // namespace

void EnterTrustedFolder(const std::string& folder) {
    const HANDLE held =
        ::CreateFileA(SystemPath(folder), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        RaiseLast(folder, Expected::Folder);
    }
    if (HeldFolder() != INVALID_HANDLE_VALUE) {
        ::CloseHandle(HeldFolder());
    }
    HeldFolder() = held;
    RequireOnlyOwnerCanWrite(folder);
    ChangeFolder(folder);
}

void RequireTrustedProgram(const std::string& folder, const std::string& name) {
    const std::string path = folder + "\\" + name;
    constexpr DWORD kNotPlain = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    const DWORD attributes = ::GetFileAttributesA(SystemPath(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        RaiseLast(path, Expected::File);
    }
    if ((attributes & kNotPlain) != 0) {
        RaiseForSystemError(ERROR_ACCESS_DENIED, path);
    }
    RequireOnlyOwnerCanWrite(path);
}

// By its full path: the search for a bare name would look in the launcher's own folder first.
std::int64_t StartInstalledProgram(const std::string& folder, const std::string& name) {
    const std::string path = folder + "\\" + name;
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(SystemPath(path), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process)) {
        RaiseLast(path, Expected::File);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return process.dwProcessId;
}

}  // namespace platform
