#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Paths taken apart: the one place that knows where a path's pieces end. Paths are joined by
// Layout::Join.
namespace platform {

// The last piece of path.
std::string NameOf(const std::string& path);
// The folder that holds path: path without its last piece and the separator before it.
std::string ParentOf(const std::string& path);
// name in the folder that holds path.
std::string SiblingOf(const std::string& path, std::string_view name);
// A new name beside path that an install recognises as its own: the temporary-file prefix and
// random letters and digits. Nothing is made; whoever makes it must not take an existing one.
std::string PartialNameBeside(const std::string& path);
// Each folder on the way to path and path itself, outermost first, without the root.
std::vector<std::string> FoldersOnTheWay(const std::string& path);

// A full path in one spelling: its root, then each name once joined by separator, with "." left
// out and ".." taking away the name before it. Nothing for a path that is not full or climbs
// above its root. Case is kept: PathKey compares.
std::optional<std::string> NormalPath(const std::string& path, std::string_view separator);
// The names of path below folder, a normal path it lies in: {} for folder itself. Nothing when
// path is not folder or inside it (PathKey decides, so on Windows case does not count).
std::optional<std::vector<std::string>> NamesBelow(const std::string& folder,
                                                   const std::string& path);

}  // namespace platform
