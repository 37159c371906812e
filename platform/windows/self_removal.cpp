#include "platform/self_removal.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/runtime_error.h"
#include "platform/windows/support.h"

namespace platform {

using namespace detail;

namespace {

// How the copy learns that it is the copy: the original's process, as a handle it inherits.
constexpr const char* kWaitSwitch = " /wait-for-process ";

std::string CommandLine() {
    return Utf8(::GetCommandLineW());
}

bool IsTheCopy() {
    return CommandLine().find(kWaitSwitch) != std::string::npos;
}

std::string OwnPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            RaiseLast("GetModuleFileName", Expected::File);
        }
        if (length < path.size()) {
            path.resize(length);
            return Utf8(path);
        }
        path.resize(path.size() * 2);
    }
}

// A folder of its own under the user's temporary folder, made exclusively.
std::string NewTemporaryFolder() {
    wchar_t wideTemp[MAX_PATH + 1] = {};
    if (::GetTempPathW(MAX_PATH + 1, wideTemp) == 0) {
        RaiseLast("GetTempPath", Expected::Folder);
    }
    const std::string temp = Utf8(wideTemp);
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        char name[64] = {};
        std::snprintf(name, sizeof name, "Velmora_KZ-uninstall-%08lX",
                      ::GetTickCount() ^ (::GetCurrentProcessId() << 16) ^ attempt);
        const std::string folder = temp + name;
        if (::CreateDirectoryW(Wide(folder).c_str(), nullptr)) {
            return folder;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            RaiseLast(folder, Expected::Folder);
        }
    }
    Raise(ERROR_ALREADY_EXISTS, temp, Expected::Folder);
}

void StartCopy(const std::string& copy, const std::string& folder) {
    HANDLE original = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(),
                           &original, SYNCHRONIZE, TRUE, 0)) {
        RaiseLast(copy, Expected::File);
    }
    std::wstring commandLine = Wide("\"" + copy + "\"" + kWaitSwitch +
                                    std::to_string(reinterpret_cast<std::uintptr_t>(original)));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Its current folder is its own: one inside the application folder would keep that folder.
    const BOOL started =
        ::CreateProcessW(Wide(copy).c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                         Wide(folder).c_str(), &startup, &process);
    const DWORD code = ::GetLastError();
    ::CloseHandle(original);
    if (!started) {
        Raise(code, copy, Expected::File);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

}  // namespace

WhoGoesOn HandOverToTemporaryCopy() {
    const std::string line = CommandLine();
    if (const auto at = line.find(kWaitSwitch); at != std::string::npos) {
        const auto value = std::strtoull(
            line.c_str() + at + std::char_traits<char>::length(kWaitSwitch), nullptr, 10);
        const auto original = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(value));
        ::WaitForSingleObject(original, INFINITE);
        ::CloseHandle(original);
        return WhoGoesOn::ThisProcess;
    }
    const std::string self = OwnPath();
    const std::string folder = NewTemporaryFolder();
    const std::string copy = folder + "\\" + NameOf(self);
    try {
        if (!::CopyFileW(Wide(self).c_str(), Wide(copy).c_str(), TRUE)) {
            RaiseLast(copy, Expected::File);
        }
        StartCopy(copy, folder);
    } catch (const RuntimeError&) {
        ::DeleteFileW(Wide(copy).c_str());
        ::RemoveDirectoryW(Wide(folder).c_str());
        throw;
    }
    return WhoGoesOn::TemporaryCopy;
}

// The system's own removal at the next start: it needs no second program and no waiting, but
// only an administrator may ask for it. For anyone else the copy stays in their temporary folder.
void ScheduleOwnRemoval() {
    if (!IsTheCopy()) {
        return;
    }
    const std::string self = OwnPath();
    std::string folder = FolderOf(self);
    folder.pop_back();
    ::MoveFileExW(Wide(self).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    ::MoveFileExW(Wide(folder).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace platform
