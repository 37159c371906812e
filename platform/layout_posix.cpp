#include "platform/layout.h"

namespace platform {

Layout NativeLayout() {
    return Layout{
        .separator = "/",
        .applicationFolder = "/opt/Velmora_KZ",
        .handoverFileName = "Start_up.txt",
        .profileRoot = "/home/",
        .profileDesktop = "/Desktop",
        .profileStartMenu = "/.local/share/applications",
        .profilePrograms = "/.local/bin",
        .sharedDesktop = "/etc/skel/Desktop",
        .sharedStartMenu = "/usr/local/share/applications",
        .sharedPrograms = "/usr/local/bin",
        .startMenuNeedsDesktopEntry = true,
        .createsMissingTargetFolders = true,
    };
}

Layout LayoutRootedIn(const std::string& root) {
    Layout layout = NativeLayout();
    for (std::string* place :
         {&layout.applicationFolder, &layout.profileRoot, &layout.sharedDesktop,
          &layout.sharedStartMenu, &layout.sharedPrograms}) {
        *place = root + *place;
    }
    return layout;
}

}  // namespace platform
