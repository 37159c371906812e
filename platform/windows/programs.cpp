#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/windows/support.h"

namespace platform {

using namespace detail;

namespace {

std::wstring Quoted(const std::wstring& path) {
    return path.find(L' ') == std::wstring::npos ? path : L"\"" + path + L"\"";
}

// A 32-bit program on 64-bit Windows is shown the 32-bit system folder in place of the 64-bit
// one; a program that sits only in the latter is reached through the alias the system keeps.
std::optional<std::wstring> HiddenSystemFolder() {
    BOOL wow64 = FALSE;
    wchar_t windows[MAX_PATH] = {};
    const UINT length = ::GetWindowsDirectoryW(windows, MAX_PATH);
    if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64 || length == 0 ||
        length >= MAX_PATH) {
        return std::nullopt;
    }
    return std::wstring(windows, length) + L"\\Sysnative";
}

// No console window either: a console program such as java would otherwise flash one.
bool Start(std::wstring commandLine, PROCESS_INFORMATION& process) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    return ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                            nullptr, nullptr, &startup, &process) != 0;
}

}  // namespace

// The system's own search for a bare name: the running program's folder, the current folder,
// the system folders, then PATH; last, for a 32-bit program on 64-bit Windows, the 64-bit
// system folder.
std::int64_t StartProgramHidden(const std::string& name) {
    const std::wstring program = SystemPath(name);
    PROCESS_INFORMATION process{};
    if (!Start(Quoted(program), process)) {
        const DWORD code = ::GetLastError();
        const auto hidden = HiddenSystemFolder();
        const bool bare = name.find_first_of("\\/:") == std::string::npos;
        if (!bare || !hidden || (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) ||
            !Start(Quoted(*hidden + L"\\" + program), process)) {
            Raise(code, name, Expected::File);
        }
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return process.dwProcessId;
}

}  // namespace platform
