#pragma once

#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes, unsigned mode = 0644);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
void MakeFolders(const std::string& path);
std::vector<std::string> FolderEntries(const std::string& path);

// Lines of a CR LF text file, without their ends.
std::vector<std::string> CrLfLines(const std::string& path);
// What follows the timestamp and "~" of each log line.
std::vector<std::string> LogTexts(const std::string& path);
std::vector<std::string> LogTextsOf(const std::string& bytes);

}  // namespace testing_support
