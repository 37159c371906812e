#include "setup/core/install_checks.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "setup/core/install_steps.h"
#include "setup/core/installation_files.h"
#include "setup/core/queries.h"

namespace setup {

namespace {

struct AskedPlace {
    std::string name;  // what it was asked for
    std::string path;  // what the system gave
};

// The places the chosen copies go to, as ShortcutTargets chooses them: the user's own where their
// profile folder is there, else every user's. A user's install whose profile the system did not
// give would silently take every user's places.
std::vector<AskedPlace> ChosenPlaces(platform::FileSystem& files, const platform::Layout& layout,
                                     const InstallRequest& request) {
    if (!layout.profileRoot.empty()) {
        return {};
    }
    const platform::UserPlaces& own = layout.userPlaces;
    if (layout.scope == platform::Scope::ThisUser && own.profile.empty()) {
        return {{"the profile of the current user", own.profile}};
    }
    const bool ownPlaces = FileExists(files, own.profile) != FileExistsResult::NotThere;
    const platform::UserPlaces& places = ownPlaces ? own : layout.sharedPlaces;
    const std::string whose = ownPlaces ? " of the current user" : " of every user";
    std::vector<AskedPlace> chosen;
    if (request.desktopIcon) {
        chosen.push_back({"the desktop" + whose, places.desktop});
    }
    if (request.startMenu) {
        chosen.push_back({"the Start menu" + whose, places.startMenu});
        if (layout.startMenuNeedsDesktopEntry) {
            chosen.push_back({"the menu icons" + whose, places.iconTheme});
        }
    }
    if (request.programsMenu) {
        chosen.push_back({"the Programs menu" + whose, places.programs});
    }
    return chosen;
}

std::optional<AskedPlace> FirstNotGiven(platform::FileSystem& files, const platform::Layout& layout,
                                        const InstallRequest& request) {
    for (AskedPlace& place : ChosenPlaces(files, layout, request)) {
        if (!platform::IsFullPath(place.path)) {
            return std::move(place);
        }
    }
    return std::nullopt;
}

}  // namespace

std::size_t LongestDestination(const std::string& separator) {
    std::size_t longestName = std::char_traits<char>::length(platform::kPartialFilePrefix) +
                              platform::kPartialFileSuffixLength;
    for (const auto name : kInstallationFiles) {
        longestName = std::max(longestName, name.size());
    }
    return platform::MaxPathLength() - separator.size() - longestName;
}

// The launcher's own check has the last word.
void MakeFollowable(platform::FileSystem& files, const std::string& folder) {
    files.GiveInstallersAccess(folder);
    files.RequireOnlyOwnerCanWrite(folder);
}

void RequireTrustedFoldersAbove(platform::FileSystem& files, const std::string& destination) {
    std::string folder = destination;
    for (;;) {
        const auto separator =
            std::find_if(folder.rbegin(), folder.rend(), platform::IsPathSeparator);
        if (separator == folder.rend()) {
            return;
        }
        const auto cut = static_cast<std::size_t>(folder.rend() - separator) - 1;
        const bool atRoot = cut == 0 || folder[cut - 1] == ':';
        folder = atRoot ? folder.substr(0, cut + 1) : folder.substr(0, cut);
        if (atRoot || FileExists(files, folder) != FileExistsResult::NotThere) {
            files.RequireNobodyElseCanChange(folder);
            return;
        }
    }
}

std::string FollowStep(const std::string& folder, const platform::RuntimeError& error) {
    if (error.Why() == platform::Reason::None) {
        return "Could not install into the folder " + folder + ".";
    }
    return "The folder " + error.PlaceAndReason() + ".";
}

void RequireGivenPlaces(platform::FileSystem& files, const platform::Layout& layout,
                        const InstallRequest& request) {
    if (const auto place = FirstNotGiven(files, layout, request)) {
        throw platform::RuntimeError(platform::error::kPathNotFound, place->path);
    }
}

std::string GivenPlacesStep(platform::FileSystem& files, const platform::Layout& layout,
                            const InstallRequest& request) {
    const auto place = FirstNotGiven(files, layout, request);
    if (!place) {
        return "Could not find the folders the launcher is copied to.";
    }
    if (place->path.empty()) {
        return "Could not install: the system gives no folder for " + place->name + ".";
    }
    return "Could not install: the system gives \"" + place->path + "\" for " + place->name +
           ", which is not a full path.";
}

}  // namespace setup
