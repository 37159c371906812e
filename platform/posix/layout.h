#pragma once

#include <string>
#include <string_view>

#include "platform/layout.h"

// Who runs the installer decides where an install goes: root installs for every user of the
// machine, anyone else for themselves under their home folder, where they need no root.
namespace platform {

// Root's install: the shared places, and no profile folder. root prefixes every place (tests).
Layout LayoutForEveryone(const std::string& root = "");

// The install of a user whose home folder is home; the install for everyone stays under root.
Layout LayoutForUser(const std::string& home, const std::string& root = "");

// The desktop folder that the text of home's .config/user-dirs.dirs names; home + "/Desktop"
// when it names none that can be used.
std::string DesktopFolderFrom(std::string_view userDirs, const std::string& home);

}  // namespace platform
