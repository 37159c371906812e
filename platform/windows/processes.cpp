#include "platform/processes.h"

#include <string>
#include <string_view>
#include <vector>

#include "platform/windows/support.h"
#include "platform/windows/system_function.h"
// After <windows.h>, which they need.
#include <psapi.h>
#include <tlhelp32.h>

namespace platform {

using namespace detail;

namespace {

// A command line's argument as the C runtime splits it again: quoted where it must be, its
// quotes escaped.
std::string Quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
        } else {
            quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            backslashes = 0;
        }
        if (c != '\\') {
            quoted += c;
        }
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

std::string Lowered(const std::string& text) {
    std::wstring wide = Wide(text);
    ::CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return Utf8(wide);
}

// Vista and later name the program of any process a caller may query at all; XP only of one
// whose memory it may read.
std::string ProgramOf(DWORD processId) {
    using QueryImageName = BOOL WINAPI(HANDLE, DWORD, LPWSTR, PDWORD);
    QueryImageName* const query =
        SystemFunction<QueryImageName>(L"kernel32.dll", "QueryFullProcessImageNameW");
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    if (query == nullptr) {
        const Handle process(
            ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
        size = process.Valid() ? ::GetModuleFileNameExW(process.Get(), nullptr, path, size) : 0;
        return Utf8(std::wstring_view(path, size));
    }
    const Handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process.Valid() || !query(process.Get(), 0, path, &size)) {
        return {};
    }
    return Utf8(std::wstring_view(path, size));
}

}  // namespace

int RunProgramAndWait(const std::string& name, const std::vector<std::string>& arguments) {
    wchar_t program[MAX_PATH] = {};
    if (::SearchPathW(nullptr, SystemPath(name).c_str(), L".exe", MAX_PATH, program, nullptr) ==
        0) {
        RaiseLast(name, Expected::File);
    }
    std::string commandLine = Quoted(Utf8(program));
    for (const auto& argument : arguments) {
        SystemPath(argument);
        commandLine += ' ';
        commandLine += Quoted(argument);
    }
    std::wstring wideCommandLine = Wide(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(program, wideCommandLine.data(), nullptr, nullptr, FALSE,
                          CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started)) {
        RaiseLast(name, Expected::File);
    }
    ::CloseHandle(started.hThread);
    const Handle process(started.hProcess);
    DWORD status = 0;
    if (::WaitForSingleObject(process.Get(), INFINITE) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(process.Get(), &status)) {
        RaiseLast(name, Expected::File);
    }
    return static_cast<int>(status);
}

std::optional<std::string> ProgramRunningFrom(const std::string& folder) {
    std::string inside = Lowered(FullFolderPathOf(folder));
    if (!inside.ends_with('\\')) {
        inside += '\\';
    }
    const Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    if (!snapshot.Valid() || !::Process32First(snapshot.Get(), &entry)) {
        return std::nullopt;
    }
    // Neither this program nor the one that handed it its work and waits for it.
    const DWORD self = ::GetCurrentProcessId();
    const DWORD original = OriginalProcessId();
    do {
        if (entry.th32ProcessID == self || (original != 0 && entry.th32ProcessID == original)) {
            continue;
        }
        const std::string program = ProgramOf(entry.th32ProcessID);
        if (!program.empty() && Lowered(program).starts_with(inside)) {
            return program;
        }
    } while (::Process32Next(snapshot.Get(), &entry));
    return std::nullopt;
}

}  // namespace platform
