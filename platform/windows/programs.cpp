#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "platform/windows/support.h"

namespace platform {

using namespace detail;

// The system's own search for a bare name: the running program's folder, the current folder,
// the system folders, then PATH.
std::int64_t StartProgramHidden(const std::string& name) {
    std::wstring commandLine = SystemPath(name);
    if (commandLine.find(L' ') != std::wstring::npos) {
        commandLine = L"\"" + commandLine + L"\"";
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        RaiseLast(name, Expected::File);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return process.dwProcessId;
}

}  // namespace platform
