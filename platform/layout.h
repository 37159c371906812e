#pragma once

#include <string>
#include <string_view>

namespace platform {

// Whose install a layout is: the running user's own, or the one for every user of the machine
// (root's on Linux, an administrator's on Windows).
enum class Scope { ThisUser, Everyone };

// The places of one user's desktop and menus.
struct UserPlaces {
    std::string profile;  // the profile folder; "" when the user has none
    std::string desktop;
    std::string startMenu;
    std::string programs;
    std::string iconTheme;  // where menus look up icons by name; "" where icons are not installed
};

// Every fixed place the programs touch. The programs use NativeLayout(); tests root one in a
// temporary folder so that nothing is written outside it.
struct Layout {
    std::string separator;          // joins path pieces: "\" or "/"
    std::string applicationFolder;  // holds the hand-over file; the default install folder
    std::string handoverFileName;   // inside applicationFolder
    std::string recordFileName;     // the install record, beside the hand-over file
    // The install for everyone, which the launcher follows when the user has none of their own.
    std::string sharedApplicationFolder;
    // Where profile folders are named after their users, each of userPlaces is appended to
    // profileRoot + the user's name; elsewhere profileRoot is "" and userPlaces are whole paths.
    std::string profileRoot;
    UserPlaces userPlaces;
    UserPlaces sharedPlaces;           // used when the user has no profile folder
    bool startMenuNeedsDesktopEntry;   // a menu shows only programs that have a desktop entry
    bool createsMissingTargetFolders;  // desktops and menus are made on demand where expected
    Scope scope;
    bool registersUninstaller;       // the system lists installed programs in its registry
    bool programsMenuNeedsShortcut;  // the Start menu shows only shortcuts, not program files
    // Where a log goes that cannot go where it belongs (Setup's, when the folder it started in
    // cannot take it; Uninstall's, unless told where): the user's own, made on demand. "" for none.
    std::string logFallbackFolder;

    // name in folder, by plain concatenation: a root that ends in a separator gets a second one,
    // which the system takes.
    std::string Join(const std::string& folder, std::string_view name) const {
        return folder + separator + std::string(name);
    }
    std::string HandoverFileIn(const std::string& folder) const {
        return Join(folder, handoverFileName);
    }
    std::string HandoverFile() const { return HandoverFileIn(applicationFolder); }
    // Setup's journal of an install under way, beside the hand-over file: while it is there, the
    // installation it names may be half done.
    std::string JournalFileIn(const std::string& folder) const {
        return Join(folder, "Install.journal");
    }
    std::string JournalFile() const { return JournalFileIn(applicationFolder); }
    std::string RecordFile() const { return Join(applicationFolder, recordFileName); }
    UserPlaces PlacesOf(const std::string& userName) const;
};

// The layout of the system the program runs on, for the user who runs it.
Layout NativeLayout();

// The same layout with every absolute place moved under root (for tests). The user's own places
// are those of a user with a profile folder of their own, also where the native layout has none.
Layout LayoutRootedIn(const std::string& root);

}  // namespace platform
