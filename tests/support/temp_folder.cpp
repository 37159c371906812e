#include "tests/support/temp_folder.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <thread>

#ifdef _WIN32
#include "platform/windows/windows_api.h"
#endif

namespace fs = std::filesystem;

namespace testing_support {

// The tests' strings are UTF-8, as the programs' are; the library takes a narrow path on Windows
// in the ANSI code page.
fs::path PathOf(const std::string& path) {
#ifdef _WIN32
    return fs::path(std::u8string(path.begin(), path.end()));
#else
    return fs::path(path);
#endif
}

std::string TextOf(const fs::path& path) {
#ifdef _WIN32
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
#else
    return path.string();
#endif
}

namespace {

std::string MakeUniqueFolder(const fs::path& base) {
    static std::mt19937 generator{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path folder = base / ("velmora-test-" + std::to_string(generator()));
        std::error_code failed;
        if (fs::create_directory(folder, failed)) {
            // Owner-only whatever the umask: the launcher refuses folders others may change.
            fs::permissions(folder, fs::perms::owner_all);
            return TextOf(fs::canonical(folder));
        }
    }
    throw std::runtime_error("cannot make a temporary folder under " + base.string());
}

}  // namespace

std::string RootOf(const std::string& path) {
    return fs::path(path).root_path().string();
}

TempFolder::TempFolder() : path_(MakeUniqueFolder(fs::temp_directory_path())) {}

TempFolder::TempFolder(const std::string& base) : path_(MakeUniqueFolder(PathOf(base))) {}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

void WriteFile(const std::string& path, const std::string& bytes, unsigned mode) {
    std::ofstream out(PathOf(path), std::ios::binary);
    out << bytes;
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
    fs::permissions(PathOf(path), static_cast<fs::perms>(mode));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(PathOf(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

#ifdef _WIN32
namespace {

FILETIME ModifiedTimeOf(const std::string& path) {
    const HANDLE file = ::CreateFileW(platform::Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME modified{};
    const bool read =
        file != INVALID_HANDLE_VALUE && ::GetFileTime(file, nullptr, nullptr, &modified) != FALSE;
    ::CloseHandle(file);
    if (!read) {
        throw std::runtime_error("cannot read the time of " + path);
    }
    return modified;
}

void SetModifiedTime(const std::string& path, const FILETIME& modified) {
    const HANDLE file = ::CreateFileW(platform::Wide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    const bool set =
        file != INVALID_HANDLE_VALUE && ::SetFileTime(file, nullptr, nullptr, &modified) != FALSE;
    ::CloseHandle(file);
    if (!set) {
        throw std::runtime_error("cannot set the time of " + path);
    }
}

}  // namespace
#else
namespace {

fs::file_time_type ModifiedTimeOf(const std::string& path) {
    return fs::last_write_time(path);
}

void SetModifiedTime(const std::string& path, fs::file_time_type modified) {
    fs::last_write_time(path, modified);
}

}  // namespace
#endif

void KeepingItsTime(const std::string& path, const std::function<void()>& change) {
    const auto modified = ModifiedTimeOf(path);
    change();
    SetModifiedTime(path, modified);
}

void CopyTime(const std::string& from, const std::string& path) {
    SetModifiedTime(path, ModifiedTimeOf(from));
}

bool Exists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(PathOf(path), ignored));
}

void MakeFolders(const std::string& path) {
    fs::create_directories(PathOf(path));
}

void OpenToEveryone(const std::string& path) {
#ifdef _WIN32
    SECURITY_DESCRIPTOR open{};
    ::InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE);
    if (!::SetFileSecurityW(platform::Wide(path).c_str(), DACL_SECURITY_INFORMATION, &open)) {
        throw std::runtime_error("cannot open " + path + " to everyone");
    }
#else
    fs::permissions(path, fs::perms::all);
#endif
}

void RemoveTree(const std::string& path) {
    std::error_code ignored;
    const fs::path place = PathOf(path);
    const fs::file_status status = fs::symlink_status(place, ignored);
    // Tests take write access away; give it back so everything can go, read-only files on
    // Windows included.
    if (!fs::is_symlink(status)) {
        fs::permissions(place, fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    if (fs::is_directory(status)) {
        for (fs::directory_iterator it(place, ignored), end; it != end; it.increment(ignored)) {
            RemoveTree(TextOf(it->path()));
        }
    }
    fs::remove(place, ignored);
}

std::vector<std::string> FolderEntries(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(PathOf(path))) {
        names.push_back(TextOf(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string WaitForFile(const std::string& path) {
    // Under Wine a file can be seen a moment before its writer has let go of it, and until then
    // it cannot be opened: wait until it opens, not just until it is there.
    for (int i = 0; i < 1000; ++i) {
        std::ifstream in(PathOf(path), std::ios::binary);
        if (in) {
            return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

namespace {

std::vector<std::string> CrLfLinesOf(const std::string& text) {
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

}  // namespace

std::vector<std::string> CrLfLines(const std::string& path) {
    return CrLfLinesOf(ReadFile(path));
}

std::vector<std::string> LogTexts(const std::string& path) {
    return LogTextsOf(ReadFile(path));
}

std::vector<std::string> LogTextsOf(const std::string& bytes) {
    std::vector<std::string> texts;
    for (const auto& line : CrLfLinesOf(bytes)) {
        const auto tilde = line.find('~');
        texts.push_back(tilde == std::string::npos ? "<no tilde>" + line : line.substr(tilde + 1));
    }
    return texts;
}

}  // namespace testing_support
