#include "platform/layout.h"

namespace platform {

namespace {

constexpr const char* kSystemDrive = "C:";

}  // namespace

Layout NativeLayout() {
    return Layout{
        .separator = "\\",
        .applicationFolder = "C:\\Velmora_KZ",
        .handoverFileName = "Start_up.txt",
        .profileRoot = "C:\\Documents and Settings\\",
        .profileDesktop = "\\Desktop",
        .profileStartMenu = "\\Start Menu",
        .profilePrograms = "\\Start Menu\\Programs",
        .sharedDesktop = "C:\\Documents and Settings\\All Users\\Desktop",
        .sharedStartMenu = "C:\\Documents and Settings\\All Users\\Start Menu",
        .sharedPrograms = "C:\\Documents and Settings\\All Users\\Start Menu\\Programs",
        .startMenuNeedsDesktopEntry = false,
        .createsMissingTargetFolders = false,
    };
}

// "C:\Velmora_KZ" under "D:\tmp\root" becomes "D:\tmp\root\Velmora_KZ".
Layout LayoutRootedIn(const std::string& root) {
    Layout layout = NativeLayout();
    for (std::string* place :
         {&layout.applicationFolder, &layout.profileRoot, &layout.sharedDesktop,
          &layout.sharedStartMenu, &layout.sharedPrograms}) {
        if (place->starts_with(kSystemDrive)) {
            place->erase(0, std::char_traits<char>::length(kSystemDrive));
        }
        *place = root + *place;
    }
    return layout;
}

}  // namespace platform
