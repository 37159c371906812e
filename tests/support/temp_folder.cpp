#include "tests/support/temp_folder.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace testing_support {

namespace {

std::string MakeUniqueFolder(const fs::path& base) {
    static std::mt19937 generator{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path folder = base / ("velmora-test-" + std::to_string(generator()));
        std::error_code failed;
        if (fs::create_directory(folder, failed)) {
            // Owner-only whatever the umask: the launcher refuses folders others may change.
            fs::permissions(folder, fs::perms::owner_all);
            return fs::canonical(folder).string();
        }
    }
    throw std::runtime_error("cannot make a temporary folder under " + base.string());
}

}  // namespace

std::string RootOf(const std::string& path) {
    return fs::path(path).root_path().string();
}

TempFolder::TempFolder() : path_(MakeUniqueFolder(fs::temp_directory_path())) {}

TempFolder::TempFolder(const std::string& base) : path_(MakeUniqueFolder(base)) {}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

void WriteFile(const std::string& path, const std::string& bytes, unsigned mode) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
    fs::permissions(path, static_cast<fs::perms>(mode));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Exists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(path, ignored));
}

void MakeFolders(const std::string& path) {
    fs::create_directories(path);
}

void RemoveTree(const std::string& path) {
    std::error_code ignored;
    const fs::file_status status = fs::symlink_status(path, ignored);
    // Tests take write access away; give it back so everything can go, read-only files on
    // Windows included.
    if (!fs::is_symlink(status)) {
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    if (fs::is_directory(status)) {
        for (fs::directory_iterator it(path, ignored), end; it != end; it.increment(ignored)) {
            RemoveTree(it->path().string());
        }
    }
    fs::remove(path, ignored);
}

std::vector<std::string> FolderEntries(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string WaitForFile(const std::string& path) {
    // Under Wine a file can be seen a moment before its writer has let go of it, and until then
    // it cannot be opened: wait until it opens, not just until it is there.
    for (int i = 0; i < 1000; ++i) {
        std::ifstream in(path, std::ios::binary);
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
