#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The logic of the drive and folder lists, for any window toolkit: the lists only draw these
// lines and report the user's gestures.
namespace setup {

// One line of the folder list.
struct FolderLine {
    std::string text;    // the folder's name, indented two blanks a level
    std::string folder;  // the full path the line opens
};

// The folder list: the path's parent folders from the root down, then the current folder's
// subfolders, sorted ignoring case. It only browses: the process's current folder never changes.
class FolderBrowser {
public:
    // Starts at folder, a full path.
    explicit FolderBrowser(std::string folder);

    const std::string& Path() const { return path_; }
    const std::vector<FolderLine>& Lines() const { return lines_; }
    // The line of the current folder, which the list shows selected.
    std::size_t CurrentLine() const { return currentLine_; }

    // Each moves the list and reads the folders again; true when the path changed, the only time
    // the list reports a change. A path that names no folder fails with PathNotFound and leaves
    // the list as it was.
    bool Open(const std::string& folder);
    bool OpenLine(std::size_t line);
    // A drive moves the list to that drive's current folder; any other value is a folder path.
    bool Assign(const std::string& value);

private:
    void ReadLines();

    std::string path_;
    std::vector<FolderLine> lines_;
    std::size_t currentLine_ = 0;
};

// A full path's root and the folders below it down to the path itself: "C:\Data\Old" gives
// "C:\", "C:\Data", "C:\Data\Old"; "\\host\share\x" starts at "\\host\share\"; "/srv" gives "/",
// "/srv".
std::vector<std::string> FoldersDownTo(const std::string& path);

// Which of drives holds folder: the innermost, whose name is the longest whole-piece start of
// the folder's path (ignoring case where the system's paths do). None if no drive does.
std::optional<std::size_t> DriveHolding(const std::vector<std::string>& drives,
                                        const std::string& folder);

}  // namespace setup
