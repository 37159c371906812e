#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// File helpers for the tests of both systems, with the system's own paths.
namespace testing_support {

inline constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

// Pieces joined by the system's separator, as the programs join them.
template <typename... More>
std::string Joined(std::string path, const More&... more) {
    ((path += kSeparator, path += more), ...);
    return path;
}

// A path of the tests (UTF-8, as the programs hold it) for the standard library, and back.
std::filesystem::path PathOf(const std::string& path);
std::string TextOf(const std::filesystem::path& path);

// The root folder of the volume a full path lies on: "C:\" or "/".
std::string RootOf(const std::string& path);

// A fresh folder under the system's temporary folder, or under base, removed with everything in
// it.
class TempFolder {
public:
    TempFolder();
    explicit TempFolder(const std::string& base);
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + kSeparator + name; }

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes, unsigned mode = 0644);
std::string ReadFile(const std::string& path);
// Runs change, then gives path back the modification time it had before, to the last unit the
// system keeps (std::filesystem keeps whole seconds only, on Windows).
void KeepingItsTime(const std::string& path, const std::function<void()>& change);
// Gives path the modification time that from has.
void CopyTime(const std::string& from, const std::string& path);
bool Exists(const std::string& path);
void MakeFolders(const std::string& path);
// Lets everyone change what lies at path.
void OpenToEveryone(const std::string& path);
// Removes what is there, as far as it can, even where the tests took write access away.
void RemoveTree(const std::string& path);
std::vector<std::string> FolderEntries(const std::string& path);

// Waits up to about ten seconds for a file to appear; its contents, or "" if it never did.
std::string WaitForFile(const std::string& path);

// Lines of a CR LF text file, without their ends.
std::vector<std::string> CrLfLines(const std::string& path);
// What follows the timestamp and "~" of each log line.
std::vector<std::string> LogTexts(const std::string& path);
std::vector<std::string> LogTextsOf(const std::string& bytes);

}  // namespace testing_support
