#include "platform/layout.h"

namespace platform {

UserPlaces Layout::PlacesOf(const std::string& userName) const {
    if (profileRoot.empty()) {
        return userPlaces;
    }
    const std::string profile = profileRoot + userName;
    return UserPlaces{
        .profile = profile + userPlaces.profile,
        .desktop = profile + userPlaces.desktop,
        .startMenu = profile + userPlaces.startMenu,
        .programs = profile + userPlaces.programs,
        .iconTheme = userPlaces.iconTheme,
    };
}

}  // namespace platform
