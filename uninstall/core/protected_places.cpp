#include "uninstall/core/protected_places.h"

#include <algorithm>
#include <cctype>

#include "platform/platform.h"

namespace uninstall {

namespace {

// One spelling for one place: no separator at the end, and on a system that ignores case, lower
// case and backslashes only.
std::string Normal(std::string path) {
    if (platform::PathsIgnoreCase()) {
        std::transform(path.begin(), path.end(), path.begin(), [](unsigned char c) {
            return platform::IsPathSeparator(static_cast<char>(c))
                       ? '\\'
                       : static_cast<char>(std::tolower(c));
        });
    }
    while (path.size() > 1 && platform::IsPathSeparator(path.back())) {
        path.pop_back();
    }
    return path;
}

// "/", a drive's root ("C:" once its separator is gone) and a share ("\\host\share").
bool IsRoot(const std::string& normal) {
    const bool drive = normal.size() == 2 && normal[1] == ':';
    const bool share = normal.size() > 1 && platform::IsPathSeparator(normal[0]) &&
                       platform::IsPathSeparator(normal[1]) &&
                       std::count_if(normal.begin(), normal.end(), platform::IsPathSeparator) <= 3;
    return normal.size() <= 1 || drive || share;
}

}  // namespace

ProtectedPlaces::ProtectedPlaces(const platform::Layout& layout, const std::string& userName,
                                 const std::vector<std::string>& systemFolders) {
    for (const auto& folder : systemFolders) {
        AddWithParents(folder);
    }
    for (const platform::UserPlaces& places : {layout.PlacesOf(userName), layout.sharedPlaces}) {
        for (const std::string* place :
             {&places.profile, &places.desktop, &places.startMenu, &places.programs}) {
            AddWithParents(*place);
        }
        if (!places.profile.empty()) {
            AddWithParents(places.profile + layout.separator + "Documents");
            AddWithParents(places.profile + layout.separator + "My Documents");
        }
        AddWithParents(places.iconTheme);
    }
    AddWithParents(layout.profileRoot);
    // Above the application folders: a home folder, /opt, a drive.
    for (const std::string* folder : {&layout.applicationFolder, &layout.sharedApplicationFolder}) {
        const std::string normal = Normal(*folder);
        const auto parent = std::find_if(normal.rbegin(), normal.rend(), platform::IsPathSeparator);
        if (parent != normal.rend()) {
            AddWithParents(normal.substr(0, static_cast<std::size_t>(normal.rend() - parent) - 1));
        }
    }
}

void ProtectedPlaces::AddWithParents(const std::string& folder) {
    for (std::string place = Normal(folder); !place.empty();) {
        places_.insert(place);
        const auto parent = std::find_if(place.rbegin(), place.rend(), platform::IsPathSeparator);
        if (parent == place.rend()) {
            break;
        }
        const auto cut = static_cast<std::size_t>(place.rend() - parent) - 1;
        place = cut == 0 ? std::string() : place.substr(0, cut);
    }
}

bool ProtectedPlaces::Covers(const std::string& folder) const {
    if (!platform::IsFullPath(folder)) {
        return true;  // not a place this system can name for sure
    }
    const std::string normal = Normal(folder);
    return IsRoot(normal) || places_.contains(normal);
}

}  // namespace uninstall
