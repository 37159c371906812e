#include "setup/core/placement_recorder.h"

#include "platform/platform.h"
#include "platform/runtime_error.h"

namespace setup {

// What cannot be looked at is not claimed as made.
bool PlacementRecorder::IsThere(const std::string& path) {
    try {
        return files_.FactsOf(path).kind != platform::EntryKind::None;
    } catch (const platform::RuntimeError&) {
        return true;
    }
}

void PlacementRecorder::CreateFolder(const std::string& path) {
    files_.CreateFolder(path);
    made_.push_back(path);
}

// A tree makes the missing folders on the way to it: those missing before and there after.
void PlacementRecorder::CreateFolderTree(const std::string& path) {
    std::vector<std::string> missing;
    for (std::size_t end = 1; end <= path.size(); ++end) {
        const bool atSeparator = end < path.size() && platform::IsPathSeparator(path[end]);
        if ((atSeparator || end == path.size()) && !platform::IsPathSeparator(path[end - 1]) &&
            path[end - 1] != ':' && !IsThere(path.substr(0, end))) {
            missing.push_back(path.substr(0, end));
        }
    }
    files_.CreateFolderTree(path);
    for (const auto& folder : missing) {
        if (IsThere(folder)) {
            made_.push_back(folder);
        }
    }
}

// An earlier file moved over its reserved name is set aside, not placed.
void PlacementRecorder::PutInPlace(const std::string& file, const std::string& destination) {
    files_.PutInPlace(file, destination);
    if (destination.find(platform::kPartialFilePrefix) == std::string::npos) {
        placed_.push_back(destination);
    }
}

void PlacementRecorder::WriteShortcut(const std::string& path, const platform::Shortcut& shortcut) {
    files_.WriteShortcut(path, shortcut);
    placed_.push_back(path);
}

void PlacementRecorder::ReplaceFile(const std::string& path, const std::string& contents) {
    files_.ReplaceFile(path, contents);
    placed_.push_back(path);
}

}  // namespace setup
