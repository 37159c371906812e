#include "tests/wine/wine_support.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace wine_testing {

namespace {

std::string LongForm(const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD length = ::GetLongPathNameA(path.c_str(), buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : path;
}

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) {
        path.pop_back();
    }
    return path;
}

std::string MakeUniqueFolder(const std::string& base) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = WithoutTrailingSeparator(base) + "\\velmora-test-" +
                                 std::to_string(::GetCurrentProcessId()) + "-" +
                                 std::to_string(counter++) + "-" +
                                 std::to_string(::GetTickCount() % 100000);
        if (::CreateDirectoryA(path.c_str(), nullptr)) {
            return LongForm(path);
        }
    }
    throw std::runtime_error("cannot make a temporary folder under " + base);
}

std::string TempBase() {
    char buffer[MAX_PATH] = {};
    const DWORD length = ::GetTempPathA(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH) {
        throw std::runtime_error("no temporary folder");
    }
    return LongForm(WithoutTrailingSeparator(std::string(buffer, length)));
}

std::string EnvironmentPath() {
    std::string value(::GetEnvironmentVariableA("PATH", nullptr, 0), '\0');
    const DWORD length =
        ::GetEnvironmentVariableA("PATH", value.data(), static_cast<DWORD>(value.size()));
    value.resize(length);
    return value;
}

}  // namespace

TempFolder::TempFolder() : path_(MakeUniqueFolder(TempBase())) {}

TempFolder::TempFolder(const std::string& base) : path_(MakeUniqueFolder(base)) {}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot write " + path);
    }
    DWORD written = 0;
    const bool complete =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    ::CloseHandle(file);
    if (!complete) {
        throw std::runtime_error("cannot write all of " + path);
    }
}

std::string ReadFile(const std::string& path) {
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string contents;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        contents.append(buffer, got);
    }
    ::CloseHandle(file);
    return contents;
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFolders(const std::string& path) {
    for (std::size_t end = 3; end <= path.size(); ++end) {
        if (end == path.size() || path[end] == '\\') {
            ::CreateDirectoryA(path.substr(0, end).c_str(), nullptr);
        }
    }
    if (!Exists(path)) {
        throw std::runtime_error("cannot make " + path);
    }
}

void RemoveTree(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ::DeleteFileA(path.c_str());
        return;
    }
    for (const auto& name : FolderEntries(path)) {
        RemoveTree(path + "\\" + name);
    }
    ::RemoveDirectoryA(path.c_str());
}

std::vector<std::string> FolderEntries(const std::string& path) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA((path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> CrLfLines(const std::string& path) {
    const std::string text = ReadFile(path);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start) + "<no line end>");
    }
    return lines;
}

std::vector<std::string> LogTexts(const std::string& path) {
    std::vector<std::string> texts;
    for (const auto& line : CrLfLines(path)) {
        const auto tilde = line.find('~');
        texts.push_back(tilde == std::string::npos ? "<no tilde>" + line : line.substr(tilde + 1));
    }
    return texts;
}

void StartIn(const std::string& folder) {
    if (!::SetCurrentDirectoryA(folder.c_str())) {
        throw std::runtime_error("cannot start in " + folder);
    }
}

std::string OwnFolder() {
    char buffer[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    const std::string program(buffer, length);
    return program.substr(0, program.find_last_of('\\'));
}

std::string JavaStandIn() {
    return OwnFolder() + "\\java-bin\\java.exe";
}

std::string ApplicationStandIn() {
    return OwnFolder() + "\\application\\Velmora_KZ.exe";
}

std::string WaitForFile(const std::string& path) {
    for (int i = 0; i < 1000 && !Exists(path); ++i) {
        ::Sleep(10);
    }
    return ReadFile(path);
}

int ErrorNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const platform::RuntimeError& error) {
        return error.Number();
    }
    return 0;
}

ProgramHarness::ProgramHarness()
    : savedFolder_(platform::CurrentFolder()), savedPath_(EnvironmentPath()) {
    platform::SetMessageBoxHandler([this](const std::string& text, const std::string& title) {
        messages_.push_back({title, text});
    });
    platform::SetEndAction([] { throw ProgramEnded{}; });
}

ProgramHarness::~ProgramHarness() {
    platform::SetMessageBoxHandler([](const std::string&, const std::string&) {});
    platform::SetEndAction({});
    ::SetCurrentDirectoryA(savedFolder_.c_str());
    ::SetEnvironmentVariableA("PATH", savedPath_.c_str());
}

void ProgramHarness::ProvideJava(const TempFolder& scratch) {
    const std::string folder = scratch / "java-bin";
    MakeFolders(folder);
    if (!::CopyFileA(JavaStandIn().c_str(), (folder + "\\java.exe").c_str(), FALSE)) {
        throw std::runtime_error("no java stand-in at " + JavaStandIn());
    }
    ::SetEnvironmentVariableA("PATH", folder.c_str());
}

void ProgramHarness::HideJava(const TempFolder& scratch) {
    const std::string folder = scratch / "empty-bin";
    MakeFolders(folder);
    ::SetEnvironmentVariableA("PATH", folder.c_str());
}

}  // namespace wine_testing
