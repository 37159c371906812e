#pragma once

#include <string>

namespace platform {

// Every fixed place the programs touch. The programs use NativeLayout(); tests root one in a
// temporary folder so that nothing is written outside it.
struct Layout {
    std::string separator;          // joins path pieces: "\" or "/"
    std::string applicationFolder;  // holds the hand-over file; the default install folder
    std::string handoverFileName;   // inside applicationFolder
    std::string profileRoot;        // + user name = the user's profile folder
    std::string profileDesktop;     // + the profile folder = desktop folder
    std::string profileStartMenu;   // + the profile folder = Start-menu folder
    std::string profilePrograms;    // + the profile folder = Programs-menu folder
    std::string sharedDesktop;      // used when the user has no profile folder
    std::string sharedStartMenu;
    std::string sharedPrograms;
    bool startMenuNeedsDesktopEntry;   // a menu shows only programs that have a desktop entry
    bool createsMissingTargetFolders;  // desktops and menus are made on demand where expected

    std::string HandoverFile() const { return applicationFolder + separator + handoverFileName; }
};

// The layout of the system the program runs on.
Layout NativeLayout();

// The same layout with every absolute place moved under root (for tests).
Layout LayoutRootedIn(const std::string& root);

}  // namespace platform
