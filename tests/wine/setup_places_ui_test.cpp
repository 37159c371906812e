// The real Setup.exe installing where the user will look for the program: in the 2000/XP
// profile built by hand, or (as on Vista and later, and in Wine's own profile) in the places the
// shell names, wherever the registry moves them. Every launcher copy it places, and its Start
// menu shortcut, then starts the application.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/windows/windows_api.h"
#include "setup/core/installation_files.h"
#include "tests/wine/setup_program.h"
#include "tests/wine/wine_support.h"

using ::testing::ElementsAre;
using namespace testing_support;
using namespace wine_testing;

namespace {

constexpr const wchar_t* kUserShellFolders =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// "~" stands for the folder of Wine's profile of the user, C:\users\<name>.
std::string Expanded(const std::string& place) {
    return place.starts_with('~') ? "C:\\users\\" + UserName() + place.substr(1) : place;
}

// The user's shell folders as Wine's profile has them, and as each test leaves them.
const std::pair<const wchar_t*, const wchar_t*> kShellFolders[] = {
    {L"Desktop", L"%USERPROFILE%\\Desktop"},
    {L"Start Menu", L"%USERPROFILE%\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu"},
    {L"Programs", L"%USERPROFILE%\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
};

// Moves one of the user's shell folders in the registry, as OneDrive or a company's folder
// redirection moves it.
void MoveShellFolder(const wchar_t* name, const std::wstring& place) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kUserShellFolders, 0, nullptr, 0, KEY_SET_VALUE,
                          nullptr, &key, nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot open the user's shell folders");
    }
    ::RegSetValueExW(key, name, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(place.c_str()),
                     static_cast<DWORD>((place.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

void PutShellFoldersBack() {
    for (const auto& [name, place] : kShellFolders) {
        MoveShellFolder(name, place);
    }
}

struct PlacesRun {
    const char* name;
    bool xpProfiles;    // the 2000/XP profile folders built by hand, else none at all
    bool standardUser;  // else Wine's administrator, who installs for every user
    std::vector<std::pair<const wchar_t*, std::string>> moved;  // in User Shell Folders
    std::string destination;
    std::string desktop;
    std::string startMenu;
    std::string programs;
    bool shortcut;            // the Start-menu shortcut beside the Programs copy
    bool desktopMade = true;  // else the shell is to make it
};
std::ostream& operator<<(std::ostream& out, const PlacesRun& run) {
    return out << run.name;
}

const std::string kMenu = "~\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
const std::string kSharedMenu = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu";

const PlacesRun kRuns[] = {
    // Outside the code page 1252 of the prefix, and so of every call of the earlier programs.
    {"XpProfilesAndAFolderNamedInCyrillic",
     true,
     true,
     {},
     "C:\\Приложения Velmora",
     "<profile>\\Desktop",
     "<profile>\\Start Menu",
     "<profile>\\Start Menu\\Programs",
     false},
    {"DefaultProfileForTheUser",
     false,
     true,
     {},
     kApplicationFolder,
     "~\\Desktop",
     kMenu,
     kMenu + "\\Programs",
     true},
    {"DefaultProfileForEveryUser",
     false,
     false,
     {},
     kApplicationFolder,
     "C:\\users\\Public\\Desktop",
     kSharedMenu,
     kSharedMenu + "\\Programs",
     true},
    {"DesktopMovedToOneDrive",
     false,
     true,
     {{L"Desktop", "%USERPROFILE%\\OneDrive\\Desktop"}},
     kApplicationFolder,
     "~\\OneDrive\\Desktop",
     kMenu,
     kMenu + "\\Programs",
     true},
    // Redirected to a folder not made yet: the shell makes it when asked for it.
    {"DesktopMovedToAFolderNotYetMade",
     false,
     true,
     {{L"Desktop", "%USERPROFILE%\\Moved\\Desktop"}},
     kApplicationFolder,
     "~\\Moved\\Desktop",
     kMenu,
     kMenu + "\\Programs",
     true,
     false},
    // Wine names the profile after the user whatever the registry says: the user's places are
    // moved into a profile of another name instead.
    {"ProfileNamedOtherwise",
     false,
     true,
     {{L"Desktop", "C:\\users\\Renamed.000\\Desktop"},
      {L"Start Menu", "C:\\users\\Renamed.000\\Start Menu"},
      {L"Programs", "C:\\users\\Renamed.000\\Start Menu\\Programs"}},
     kApplicationFolder,
     "C:\\users\\Renamed.000\\Desktop",
     "C:\\users\\Renamed.000\\Start Menu",
     "C:\\users\\Renamed.000\\Start Menu\\Programs",
     true},
};

class Places : public SetupProgram, public ::testing::WithParamInterface<PlacesRun> {
protected:
    Places() {
        for (const std::string& place : LaunchersOfEveryRun()) {
            RemoveTree(place);
        }
        RemoveTree("C:\\users\\Renamed.000");
        RemoveTree(Expanded("~\\OneDrive"));
        RemoveTree(Expanded("~\\Moved"));
        RemoveTree(GetParam().destination);
        if (!GetParam().xpProfiles) {
            RemoveTree("C:\\Documents and Settings");
        }
        // Also what a run that was cut short may have left.
        PutShellFoldersBack();
        for (const auto& [name, place] : GetParam().moved) {
            MoveShellFolder(name, platform::Wide(place));
        }
        MakeFolders(Place(GetParam().programs));
        if (GetParam().desktopMade) {
            MakeFolders(Place(GetParam().desktop));
        }
    }
    ~Places() override {
        PutShellFoldersBack();
        RemoveTree(GetParam().destination);
        RemoveTree("C:\\users\\Renamed.000");
        RemoveTree(Expanded("~\\OneDrive"));
        RemoveTree(Expanded("~\\Moved"));
    }

    static std::string Place(const std::string& place) {
        return place.starts_with("<profile>") ? Profile() + place.substr(9) : Expanded(place);
    }

    // Where any run may leave a launcher copy or a shortcut in the prefix's own profiles.
    static std::set<std::string> LaunchersOfEveryRun() {
        std::set<std::string> files;
        for (const PlacesRun& run : kRuns) {
            for (const std::string& folder : {run.desktop, run.startMenu, run.programs}) {
                if (!run.xpProfiles) {
                    files.insert(Place(folder) + "\\" + setup::kLauncherFile);
                    files.insert(Place(folder) + "\\" + setup::kStartMenuShortcut);
                }
            }
        }
        return files;
    }

    // Started, the launcher starts the application in the destination, and closes when asked.
    static void ExpectStartsTheApplication(const Program& launcher, const std::string& record) {
        EXPECT_EQ(WaitForFile(record), GetParam().destination + "\r\n");
        const HWND bare = launcher.WaitForWindow(nullptr, "Form1");
        ASSERT_NE(bare, nullptr) << "no launcher window";
        ::PostMessageA(bare, WM_CLOSE, 0, 0);
        EXPECT_EQ(launcher.WaitForEnd(), 0u);
        RemoveTree(record);
    }
};

TEST_P(Places, CopiesLandWhereTheUserLooksAndEachStartsTheApplication) {
    const PlacesRun& run = GetParam();
    ASSERT_EQ(::GetACP(), 1252u) << "the system code page the names are checked against";
    const auto setup = StartSetup(run.standardUser);
    EXPECT_EQ(InstallThroughTheWindow(*setup, run.destination),
              "Velmora_KZ 2.0.1 Installation is Complete");
    EXPECT_EQ(setup->WaitForEnd(), 0u);
    const auto log = LogTexts(LogPath());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "Copied Installation Files Successfully");
    EXPECT_EQ(ReadFile(std::string(kApplicationFolder) + "\\Start_up.txt"),
              run.destination + "\r\n");

    const std::string launcher = ReadFile(MediumSource() + "\\" + setup::kLauncherFile);
    const std::vector<std::string> copies{
        Place(run.desktop) + "\\" + setup::kLauncherFile,
        Place(run.startMenu) + "\\" + setup::kLauncherFile,
        Place(run.programs) + "\\" + setup::kLauncherFile,
        run.destination + "\\" + setup::kLauncherFile,
    };
    for (const std::string& copy : copies) {
        EXPECT_EQ(ReadFile(copy), launcher) << copy;
    }
    const std::string shortcut = Place(run.programs) + "\\" + setup::kStartMenuShortcut;
    EXPECT_EQ(Exists(shortcut), run.shortcut) << shortcut;
    std::vector<std::string> placed;
    for (const std::string& file : LaunchersOfEveryRun()) {
        if (Exists(file)) {
            placed.push_back(file);
        }
    }
    if (run.xpProfiles) {
        EXPECT_THAT(placed, ::testing::IsEmpty()) << "nothing outside the XP profile";
    } else {
        EXPECT_THAT(placed, ::testing::UnorderedElementsAreArray(std::vector<std::string>{
                                copies[0], copies[1], copies[2], shortcut}))
            << "the copies and the shortcut of this run's scope, and nothing else";
    }

    const std::string record = run.destination + "\\Velmora_KZ.started";
    for (const std::string& copy : copies) {
        SCOPED_TRACE(copy);
        const Program started(copy, copy.substr(0, copy.rfind('\\')));
        ExpectStartsTheApplication(started, record);
    }
    if (run.shortcut) {
        const ShortcutFile link = ReadShortcut(shortcut);
        EXPECT_EQ(link.target, copies[2]);
        EXPECT_EQ(link.workingFolder, run.destination);
        EXPECT_EQ(link.icon, copies[2] + ",0");
        SCOPED_TRACE(shortcut);
        const Program started(shortcut, "Velmora_KZ Launcher Form1");
        ExpectStartsTheApplication(started, record);
    }
}

INSTANTIATE_TEST_SUITE_P(Each, Places, ::testing::ValuesIn(kRuns),
                         [](const auto& info) { return std::string(info.param.name); });

// The user's desktop moved in the registry to where no folder can be made (below a file): the
// shell gives none, and the install stops before it writes anything, naming the place.
class PlaceNotGiven : public SetupProgram {
protected:
    PlaceNotGiven() {
        RemoveTree("C:\\Documents and Settings");
        RemoveTree(blocker);
        WriteFile(blocker, "");
        MoveShellFolder(L"Desktop", L"%USERPROFILE%\\blocker.txt\\Desktop");
    }
    ~PlaceNotGiven() override {
        PutShellFoldersBack();
        RemoveTree(blocker);
        RemoveTree(destination);
    }
    const std::string blocker = Expanded("~\\blocker.txt");
    const std::string destination = "C:\\Velmora_KZ elsewhere";
};

TEST_F(PlaceNotGiven, StopsTheInstallBeforeAnythingIsWritten) {
    const auto setup = StartSetup(true);
    EXPECT_EQ(InstallThroughTheWindow(*setup, destination),
              "Error During Setup: Path not found\r\nCould not install: the system gives no folder "
              "for the desktop of the current user.\r\nSee " +
                  LogPath() + " for details.");
    EXPECT_EQ(setup->WaitForEnd(), 1u);
    EXPECT_FALSE(Exists(kApplicationFolder));
    EXPECT_FALSE(Exists(destination));
    EXPECT_FALSE(Exists(std::string("C:\\") + setup::kLauncherFile)) << "at the drive's root";
}

}  // namespace
