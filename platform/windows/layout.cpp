#include "platform/windows/layout.h"

#include "platform/windows/folder_security.h"
#include "platform/windows/windows_api.h"
// After <windows.h>, which it needs.
#include <shlobj.h>

namespace platform {

namespace {

constexpr const char* kSystemDrive = "C:";

// A folder the registry names but that is not there (a redirected desktop, a profile not yet
// used) is made by the shell; "" when it still names none, which the install refuses by name.
std::string ShellFolder(int folder) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, folder | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                  path))) {
        return {};
    }
    return Utf8(path);
}

Layout FixedPlaces(const std::string& drive) {
    return Layout{
        .separator = "\\",
        .applicationFolder = drive + "\\Velmora_KZ",
        .handoverFileName = "Start_up.txt",
        .recordFileName = "Install.record",
        .sharedApplicationFolder = drive + "\\Velmora_KZ",
        .profileRoot = "",
        .userPlaces = {},
        .sharedPlaces = {},
        .startMenuNeedsDesktopEntry = false,
        .createsMissingTargetFolders = false,
        .scope = security::InstallForRunningUser() == security::InstallFor::EveryUser
                     ? Scope::Everyone
                     : Scope::ThisUser,
        .registersUninstaller = true,
        .programsMenuNeedsShortcut = false,
        .logFallbackFolder = "",
    };
}

// The user's temporary folder, where a program's log goes that cannot go elsewhere.
std::string LogFallbackFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) {
        return {};
    }
    return Utf8(temp) + "Velmora_KZ";
}

}  // namespace

ShellPlaces PlacesFromShell() {
    return ShellPlaces{
        .own = {.profile = ShellFolder(CSIDL_PROFILE),
                .desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY),
                .startMenu = ShellFolder(CSIDL_STARTMENU),
                .programs = ShellFolder(CSIDL_PROGRAMS),
                .iconTheme = ""},
        .everyone = {.profile = "",
                     .desktop = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY),
                     .startMenu = ShellFolder(CSIDL_COMMON_STARTMENU),
                     .programs = ShellFolder(CSIDL_COMMON_PROGRAMS),
                     .iconTheme = ""},
    };
}

// On Vista and later the name is a junction to the folder of the profiles.
bool HasProfilesFolder(const std::string& drive) {
    const DWORD attributes = ::GetFileAttributesW(Wide(drive + "\\Documents and Settings").c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

Layout ProfilesLayout(const std::string& drive) {
    Layout layout = FixedPlaces(drive);
    const std::string profiles = drive + "\\Documents and Settings\\";
    layout.profileRoot = profiles;
    layout.userPlaces = {.profile = "",
                         .desktop = "\\Desktop",
                         .startMenu = "\\Start Menu",
                         .programs = "\\Start Menu\\Programs",
                         .iconTheme = ""};
    layout.sharedPlaces = {.profile = "",
                           .desktop = profiles + "All Users\\Desktop",
                           .startMenu = profiles + "All Users\\Start Menu",
                           .programs = profiles + "All Users\\Start Menu\\Programs",
                           .iconTheme = ""};
    return layout;
}

// Without a profile of its own the install takes the shared places, as one for every user must.
Layout ShellLayout(const ShellPlaces& places, bool forEveryUser, const std::string& drive) {
    Layout layout = FixedPlaces(drive);
    layout.userPlaces = forEveryUser ? UserPlaces{} : places.own;
    layout.sharedPlaces = places.everyone;
    layout.programsMenuNeedsShortcut = true;
    return layout;
}

Layout NativeLayout() {
    Layout layout =
        HasProfilesFolder(kSystemDrive)
            ? ProfilesLayout(kSystemDrive)
            : ShellLayout(PlacesFromShell(),
                          security::InstallForRunningUser() == security::InstallFor::EveryUser,
                          kSystemDrive);
    layout.logFallbackFolder = LogFallbackFolder();
    return layout;
}

// "C:\Velmora_KZ" under "D:\tmp\root" becomes "D:\tmp\root\Velmora_KZ".
Layout LayoutRootedIn(const std::string& root) {
    Layout layout = ProfilesLayout(root);
    layout.scope = Scope::ThisUser;
    layout.logFallbackFolder = root + "\\Temp\\Velmora_KZ";
    return layout;
}

}  // namespace platform
