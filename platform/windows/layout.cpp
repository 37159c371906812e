#include "platform/layout.h"

#include "platform/windows/folder_security.h"

namespace platform {

namespace {

constexpr const char* kSystemDrive = "C:";

}  // namespace

Layout NativeLayout() {
    return Layout{
        .separator = "\\",
        .applicationFolder = "C:\\Velmora_KZ",
        .handoverFileName = "Start_up.txt",
        .recordFileName = "Install.record",
        .sharedApplicationFolder = "C:\\Velmora_KZ",
        .profileRoot = "C:\\Documents and Settings\\",
        .userPlaces = {.profile = "",
                       .desktop = "\\Desktop",
                       .startMenu = "\\Start Menu",
                       .programs = "\\Start Menu\\Programs",
                       .iconTheme = ""},
        .sharedPlaces = {.profile = "",
                         .desktop = "C:\\Documents and Settings\\All Users\\Desktop",
                         .startMenu = "C:\\Documents and Settings\\All Users\\Start Menu",
                         .programs = "C:\\Documents and Settings\\All Users\\Start Menu\\Programs",
                         .iconTheme = ""},
        .startMenuNeedsDesktopEntry = false,
        .createsMissingTargetFolders = false,
        .scope = security::InstallForRunningUser() == security::InstallFor::EveryUser
                     ? Scope::Everyone
                     : Scope::ThisUser,
        .registersUninstaller = true,
    };
}

// "C:\Velmora_KZ" under "D:\tmp\root" becomes "D:\tmp\root\Velmora_KZ".
Layout LayoutRootedIn(const std::string& root) {
    Layout layout = NativeLayout();
    layout.scope = Scope::ThisUser;
    for (std::string* place : {&layout.applicationFolder, &layout.sharedApplicationFolder,
                               &layout.profileRoot, &layout.sharedPlaces.desktop,
                               &layout.sharedPlaces.startMenu, &layout.sharedPlaces.programs}) {
        if (place->starts_with(kSystemDrive)) {
            place->erase(0, std::char_traits<char>::length(kSystemDrive));
        }
        *place = root + *place;
    }
    return layout;
}

}  // namespace platform
