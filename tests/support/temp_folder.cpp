#include "tests/support/temp_folder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testing_support {

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "velmora-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    path_ = fs::canonical(pattern).string();
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Tests take write access away; give it back so everything can go.
    for (auto it = fs::recursive_directory_iterator(path_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes, unsigned mode) {
    std::ofstream(path, std::ios::binary) << bytes;
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

std::vector<std::string> FolderEntries(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
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
