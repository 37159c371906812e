#include "platform/self_removal.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/forwarding_services.h"
#include "platform/platform.h"
#include "platform/removal.h"
#include "platform/runtime_error.h"
#include "platform/windows/support.h"
// After <windows.h>, which it needs.
#include <shellapi.h>

namespace platform {

using namespace detail;

namespace {

// How the copy learns that it is the copy, and what it is given: the original's process, the pipe
// the exit code of its work goes to, its own file (opened to be deleted once its last handle, this
// one, is closed as the copy ends) and the original's path.
constexpr const wchar_t* kCopySwitch = L"/wait-for-process";
constexpr std::size_t kCopyValues = 4;
constexpr unsigned kNameAttempts = 1000;
// A scanner may hold a file a moment after the program that ran from it has ended.
constexpr unsigned kRemovalAttempts = 40;
constexpr DWORD kRemovalPauseMs = 50;

struct GivenToTheCopy {
    HANDLE original;
    HANDLE report;
    std::string originalPath;
};

std::vector<std::wstring> CommandLineWords() {
    int count = 0;
    LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::wstring> result;
    if (words != nullptr) {
        result.assign(words, words + count);
        ::LocalFree(words);
    }
    return result;
}

std::optional<GivenToTheCopy> GivenToThisCopy() {
    const std::vector<std::wstring> words = CommandLineWords();
    if (words.size() < 2 + kCopyValues || words[1] != kCopySwitch) {
        return std::nullopt;
    }
    const auto handle = [&words](std::size_t at) {
        return reinterpret_cast<HANDLE>(
            static_cast<std::uintptr_t>(std::wcstoull(words[at].c_str(), nullptr, 10)));
    };
    return GivenToTheCopy{handle(2), handle(3), Utf8(words[5])};
}

// As CommandLineToArgvW reads it back: quoted, with the backslashes before a quote doubled.
std::wstring Quoted(const std::wstring& word) {
    if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return word;
    }
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, L'\\');
    quoted.push_back(L'"');
    return quoted;
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

std::string TemporaryFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    if (::GetTempPathW(MAX_PATH + 1, temp) == 0) {
        RaiseLast("GetTempPath", Expected::Folder);
    }
    return Utf8(temp);
}

// A name of ours in the temporary folder, different for each attempt.
std::string TemporaryName(unsigned attempt, const char* suffix) {
    char name[64] = {};
    std::snprintf(name, sizeof name, "Velmora_KZ-uninstall-%08lX%s",
                  ::GetTickCount() ^ (::GetCurrentProcessId() << 16) ^ (attempt * 0x9E3779B1u),
                  suffix);
    return TemporaryFolder() + name;
}

// Made exclusively: nothing planted under its name is started.
std::string CopyIntoTemporaryFolder(const std::string& program) {
    for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string copy = TemporaryName(attempt, ".exe");
        if (::CopyFileW(Wide(program).c_str(), Wide(copy).c_str(), TRUE)) {
            return copy;
        }
        if (const DWORD code = ::GetLastError();
            code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
            Raise(code, copy, Expected::File);
        }
    }
    Raise(ERROR_ALREADY_EXISTS, TemporaryFolder(), Expected::Folder);
}

bool IsValid(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

bool SamePath(const std::string& a, const std::string& b) {
    return ::lstrcmpiW(Wide(a).c_str(), Wide(b).c_str()) == 0;
}

void RemoveWithPatience(const std::string& path, bool folder) {
    const std::wstring wide = Wide(path);
    for (unsigned attempt = 0; attempt < kRemovalAttempts; ++attempt) {
        if (folder ? ::RemoveDirectoryW(wide.c_str()) : ::DeleteFileW(wide.c_str())) {
            return;
        }
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            return;
        }
        ::Sleep(kRemovalPauseMs);
    }
}

// The copy's file services: the original's file, which cannot be deleted while the original
// runs, is moved into the temporary folder instead (a running program's file can be moved on its
// own volume), or, from another volume, left until the original has ended, its folder with it
// when nothing else is in it.
struct SystemFiles {
    SystemFileSystem system;
};

class CopysFileSystem final : private SystemFiles, public ProxyFileSystem {
public:
    explicit CopysFileSystem(std::string original)
        : ProxyFileSystem(system), original_(std::move(original)) {}

    void RemoveOneFile(const std::string& path) override {
        if (!SamePath(path, original_)) {
            ProxyFileSystem::RemoveOneFile(path);
            return;
        }
        const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            RaiseLast(path, Expected::File);
        }
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            Raise(ERROR_ACCESS_DENIED, path, Expected::File);
        }
        for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
            const std::string aside = TemporaryName(attempt, ".old");
            if (::MoveFileExW(SystemPath(path).c_str(), Wide(aside).c_str(), 0)) {
                movedTo_ = aside;
                return;
            }
            if (const DWORD code = ::GetLastError();
                code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
                break;
            }
        }
        leftFile_ = path;
    }

    std::vector<std::string> EntriesOf(const std::string& folder) override {
        std::vector<std::string> names = ProxyFileSystem::EntriesOf(folder);
        if (HoldsTheLeftFile(folder)) {
            std::erase_if(names, [this](const std::string& name) {
                return SamePath(name, NameOf(leftFile_));
            });
        }
        return names;
    }

    void RemoveEmptyFolder(const std::string& path) override {
        if (HoldsTheLeftFile(path) && EntriesOf(path).empty()) {
            leftFolder_ = path;
            return;
        }
        ProxyFileSystem::RemoveEmptyFolder(path);
    }

    // The uninstaller's removal reaches its places by handle; the original's file and its folder
    // are still left as above.
    RemovalResult RemoveFileBelow(const std::string& place, const std::string& path) override {
        if (!SamePath(path, original_)) {
            return ProxyFileSystem::RemoveFileBelow(place, path);
        }
        RemoveOneFile(path);
        return {};
    }
    RemovalResult RemoveEmptyFolderBelow(const std::string& place,
                                         const std::string& path) override {
        if (HoldsTheLeftFile(path) && EntriesOf(path).empty()) {
            leftFolder_ = path;
            return {};
        }
        return ProxyFileSystem::RemoveEmptyFolderBelow(place, path);
    }

    // Once the original has ended.
    void RemoveWhatWasLeft() const {
        for (const std::string& file : {movedTo_, leftFile_}) {
            if (!file.empty()) {
                RemoveWithPatience(file, false);
            }
        }
        if (!leftFolder_.empty()) {
            RemoveWithPatience(leftFolder_, true);
        }
    }

private:
    bool HoldsTheLeftFile(const std::string& folder) const {
        if (leftFile_.empty()) {
            return false;
        }
        std::string holder = FolderOf(leftFile_);
        if (holder.size() > 3) {
            holder.pop_back();
        }
        return SamePath(holder, folder);
    }

    std::string original_;
    std::string movedTo_;
    std::string leftFile_;
    std::string leftFolder_;
};

// The copy's services: at the end the exit code goes to the original, which ends with it; once
// it has ended, what was left of its file goes.
class CopysServices final : public ForwardingServices {
public:
    CopysServices(Services& inner, GivenToTheCopy given, std::function<int(ExitStatus)> exitCodes)
        : ForwardingServices(inner),
          given_(std::move(given)),
          files_(given_.originalPath),
          exitCodes_(std::move(exitCodes)) {}

    FileSystem& Files() override { return files_; }

protected:
    [[noreturn]] void End(ExitStatus status) override {
        const auto code = static_cast<DWORD>(exitCodes_(status));
        DWORD written = 0;
        ::WriteFile(given_.report, &code, sizeof code, &written, nullptr);
        ::CloseHandle(given_.report);
        ::WaitForSingleObject(given_.original, INFINITE);
        files_.RemoveWhatWasLeft();
        ForwardingServices::End(status);
    }

private:
    GivenToTheCopy given_;
    CopysFileSystem files_;
    std::function<int(ExitStatus)> exitCodes_;
};

}  // namespace

namespace detail {

DWORD OriginalProcessId() {
    const auto given = GivenToThisCopy();
    return given ? ::GetProcessId(given->original) : 0;
}

}  // namespace detail

std::vector<std::string> ProgramArguments(int /*argc*/, const char* const* /*argv*/) {
    const std::vector<std::wstring> words = CommandLineWords();
    const std::size_t skipped =
        words.size() >= 2 + kCopyValues && words[1] == kCopySwitch ? 2 + kCopyValues : 1;
    std::vector<std::string> arguments;
    for (std::size_t i = skipped; i < words.size(); ++i) {
        arguments.push_back(Utf8(words[i]));
    }
    return arguments;
}

std::optional<int> RunInTemporaryCopy() {
    if (GivenToThisCopy()) {
        return std::nullopt;
    }
    const std::string self = OwnPath();
    const std::string copy = CopyIntoTemporaryFolder(self);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    // From here the copy's file goes with the last handle to it: the one the copy inherits.
    Handle file(::CreateFileW(Wide(copy).c_str(), GENERIC_READ | DELETE,
                              FILE_SHARE_READ | FILE_SHARE_DELETE, &inherited, OPEN_EXISTING,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file.Valid()) {
        const DWORD code = ::GetLastError();
        ::DeleteFileW(Wide(copy).c_str());
        Raise(code, copy, Expected::File);
    }
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherited, 0)) {
        RaiseLast(copy, Expected::File);
    }
    Handle report(readEnd);
    Handle reportTo(writeEnd);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE process = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(),
                           &process, SYNCHRONIZE | PROCESS_QUERY_INFORMATION, TRUE, 0)) {
        RaiseLast(copy, Expected::File);
    }
    Handle original(process);

    std::wstring commandLine = Quoted(Wide(copy)) + L" " + kCopySwitch;
    for (const HANDLE handle : {original.Get(), reportTo.Get(), file.Get()}) {
        commandLine += L" " + std::to_wstring(reinterpret_cast<std::uintptr_t>(handle));
    }
    commandLine += L" " + Quoted(Wide(self));
    for (const std::string& argument : ProgramArguments(0, nullptr)) {
        commandLine += L" " + Quoted(Wide(argument));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    // What the copy says on its standard output and error reaches whoever started the original.
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE errors = ::GetStdHandle(STD_ERROR_HANDLE);
    if (IsValid(output) || IsValid(errors)) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        startup.hStdError = errors;
    }
    PROCESS_INFORMATION started{};
    // Its current folder is not the application folder, which it removes.
    if (!::CreateProcessW(Wide(copy).c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                          nullptr, Wide(TemporaryFolder()).c_str(), &startup, &started)) {
        RaiseLast(copy, Expected::File);
    }
    ::CloseHandle(started.hThread);
    const Handle copyProcess(started.hProcess);
    reportTo.Close();
    file.Close();
    original.Close();
    // A current folder is held open: the original's must not keep the application folder.
    ::SetCurrentDirectoryW(Wide(TemporaryFolder()).c_str());

    unsigned char bytes[sizeof(DWORD)] = {};
    std::size_t have = 0;
    DWORD read = 0;
    while (have < sizeof bytes &&
           ::ReadFile(report.Get(), bytes + have, static_cast<DWORD>(sizeof bytes - have), &read,
                      nullptr) &&
           read > 0) {
        have += read;
    }
    DWORD code = 0;
    if (have == sizeof bytes) {
        std::memcpy(&code, bytes, sizeof code);
        return static_cast<int>(code);
    }
    // The copy ended without a word: its own exit code is all there is.
    ::WaitForSingleObject(copyProcess.Get(), INFINITE);
    ::GetExitCodeProcess(copyProcess.Get(), &code);
    return static_cast<int>(code);
}

std::unique_ptr<Services> ServicesOfTheCopy(Services& services,
                                            const std::function<int(ExitStatus)>& exitCodes) {
    auto given = GivenToThisCopy();
    if (!given) {
        return nullptr;
    }
    return std::make_unique<CopysServices>(services, std::move(*given), exitCodes);
}

}  // namespace platform
