// Built into the tests of both systems: where an install puts things, and what it makes sure of
// before it writes anything, so that every launcher copy it places starts the application.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>

#include "launcher/core/launcher_form.h"
#include "platform/platform.h"
#include "setup/core/install_checks.h"
#include "setup/core/installation_files.h"
#include "tests/support/installer_fixture.h"

#ifdef _WIN32
#include "platform/windows/layout.h"
#include "tests/wine/wine_support.h"
#endif

using ::testing::ElementsAre;
using namespace testing_support;

namespace {

class InstallPlaces : public InstallerTest {
protected:
    void SetUp() override {
        MakeFolders(Profile());
        if (!layout.createsMissingTargetFolders) {
            MakeFolders(DesktopFolder());
            MakeFolders(ProgramsFolder());
        }
        Start();
    }

    // The launcher, run after the install, starts the application in destination and shows
    // nothing.
    void ExpectLauncherStartsIn(const std::string& destination) {
        const auto boxes = services.Messages().size();
        launcher::Form1(services, layout).Form_Load();
        ASSERT_EQ(services.Started().size(), 2u) << "java, then the application";
        EXPECT_EQ(services.Started()[1].folder, destination);
        EXPECT_EQ(services.Messages().size(), boxes);
    }

    // The failure box and the four log lines of a refusal before anything was written, and the
    // earlier hand-over file kept.
    void ExpectRefused(const std::string& description, const std::string& step,
                       const std::string& earlierRecord) {
        const auto log = LogTexts(LogPath());
        ASSERT_GE(log.size(), 4u);
        EXPECT_THAT(
            std::vector<std::string>(log.end() - 4, log.end()),
            ElementsAre("Error During Setup: " + description, "Working Directory: " + working,
                        "Source Directory: ", "Destination Directory: "));
        EXPECT_THAT(services.Shown(),
                    ElementsAre("Velmora_KZ 2.0.1 Setup|Error During Setup: " + description +
                                "\r\n" + step + "\r\nSee " + LogPath() + " for details."));
        EXPECT_EQ(services.EndStatus(), platform::ExitStatus::Failure);
        EXPECT_EQ(Exists(layout.HandoverFile()) ? ReadFile(layout.HandoverFile()) : "<none>",
                  earlierRecord);
        EXPECT_FALSE(Exists(Joined(DesktopFolder(), setup::kLauncherFile)));
    }
};

// A folder the install records that others can change, as an unpacked archive or a shared drive
// leaves it: the running user's own is given the installer's access and the launcher then
// follows it; another user's stops the install before anything is written.
struct OpenFolderCase {
    const char* name;
    bool applicationFolder;  // else the destination
    bool anotherUsers;
};

std::ostream& operator<<(std::ostream& out, const OpenFolderCase& row) {
    return out << row.name;
}

class OpenFolder : public InstallPlaces, public ::testing::WithParamInterface<OpenFolderCase> {};

TEST_P(OpenFolder, IsMadeTheUsersOwnOrStopsTheInstall) {
    const OpenFolderCase& row = GetParam();
    const std::string destination = root / "apps";
    const std::string earlierRecord = root / "earlier" + "\r\n";
    MakeFolders(destination);
    MakeFolders(layout.applicationFolder);
    WriteFile(layout.HandoverFile(), earlierRecord);
    const std::string folder = row.applicationFolder ? layout.applicationFolder : destination;
    OpenToEveryone(folder);
    if (row.anotherUsers) {
        services.Files().OwnedByAnotherUser(folder);
    }
    controls.Type(destination);
    ASSERT_TRUE(BeginInstall());

    if (row.anotherUsers) {
        ExpectRefused("Permission denied",
                      "The folder " + folder + " can be changed by another user.", earlierRecord);
        EXPECT_TRUE(FolderEntries(destination).empty());
        return;
    }
    EXPECT_THAT(services.Shown(),
                ElementsAre("Finished|Velmora_KZ 2.0.1 Installation is Complete"));
    EXPECT_NO_THROW(platform::RequireOnlyOwnerCanWrite(folder));
    ExpectLauncherStartsIn(destination);
}

const OpenFolderCase kOpenFolders[] = {
    {"DestinationOfTheUser", false, false},
    {"ApplicationFolderOfTheUser", true, false},
    {"DestinationOfAnotherUser", false, true},
    {"ApplicationFolderOfAnotherUser", true, true},
};

INSTANTIATE_TEST_SUITE_P(Each, OpenFolder, ::testing::ValuesIn(kOpenFolders),
                         [](const auto& info) { return std::string(info.param.name); });

// A folder under root whose full path is exactly length long; its parents are made.
std::string FolderOfLength(const std::string& root, std::size_t length) {
    std::string path = root;
    while (path.size() < length) {
        if (path != root) {
            MakeFolders(path);
        }
        const std::size_t left = length - path.size() - 1;  // after the separator
        std::size_t piece = std::min<std::size_t>(left, 120);
        // A separator alone cannot take the last character.
        if (left - piece == 1) {
            --piece;
        }
        path = Joined(path, std::string(piece, 'd'));
    }
    return path;
}

// The longest destination leaves room for the longest name placed in it, a temporary copy's
// included: the system's longest path less a separator and 26 characters.
#ifdef _WIN32
constexpr std::size_t kLongestDestination = 259 - 1 - 26;
#else
constexpr std::size_t kLongestDestination = 4095 - 1 - 26;
#endif

struct DestinationCase {
    const char* name;
    std::function<std::string(const std::string& root)> make;  // its parent is made
    bool accepted;
};

std::ostream& operator<<(std::ostream& out, const DestinationCase& row) {
    return out << row.name;
}

class Destination : public InstallPlaces, public ::testing::WithParamInterface<DestinationCase> {};

TEST_P(Destination, IsInstalledAndFollowedOrRefusedBeforeAnythingIsWritten) {
    const DestinationCase& row = GetParam();
    ASSERT_EQ(setup::LongestDestination(layout.separator), kLongestDestination);
    const std::string destination = row.make(root.Path());
    controls.Type(destination);
    ASSERT_TRUE(BeginInstall());

    if (!row.accepted) {
        ExpectRefused("Bad file name", "Could not install into the folder " + destination + ".",
                      "<none>");
        EXPECT_FALSE(Exists(destination));
        EXPECT_FALSE(Exists(layout.applicationFolder));
        return;
    }
    EXPECT_THAT(services.Shown(),
                ElementsAre("Finished|Velmora_KZ 2.0.1 Installation is Complete"));
    EXPECT_EQ(ReadFile(layout.HandoverFile()), destination + "\r\n");
    for (const auto name : setup::kInstallationFiles) {
        EXPECT_EQ(ReadFile(Joined(destination, std::string(name))), BytesOf(name)) << name;
    }
    EXPECT_EQ(FolderEntries(destination).size(), setup::kInstallationFiles.size())
        << "no temporary file is left";
    ExpectLauncherStartsIn(destination);
}

const DestinationCase kDestinations[] = {
    {"AtTheLengthLimit",
     [](const std::string& root) { return FolderOfLength(root, kLongestDestination); }, true},
    {"PastTheLengthLimit",
     [](const std::string& root) { return FolderOfLength(root, kLongestDestination + 1); }, false},
    // Outside the code page of the system under test (1252 in the Wine tests).
    {"NamedInCyrillic", [](const std::string& root) { return Joined(root, "Приложения Ж"); }, true},
};

INSTANTIATE_TEST_SUITE_P(Each, Destination, ::testing::ValuesIn(kDestinations),
                         [](const auto& info) { return std::string(info.param.name); });

// A place the system could not give (on Windows a shell folder the registry moves where none can
// be made; here set by hand in a layout whose places are whole paths, as the shell's are) stops
// the install before anything is written, naming the place; one no chosen copy needs does not.
struct GivenPlaceCase {
    const char* name;
    std::function<void(platform::Layout& layout)> change;
    const char* step;  // nullptr: the install goes on
    bool desktopChosen = true;
};

std::ostream& operator<<(std::ostream& out, const GivenPlaceCase& row) {
    return out << row.name;
}

class GivenPlace : public InstallPlaces, public ::testing::WithParamInterface<GivenPlaceCase> {
protected:
    void SetUp() override {
        platform::Layout places = layout;
        places.userPlaces = layout.PlacesOf(UserName());
        places.profileRoot = "";
        for (const auto& folder : {places.userPlaces.desktop, places.userPlaces.programs}) {
            MakeFolders(folder);
        }
        GetParam().change(places);
        UseLayout(places);
        Start();
    }
};

TEST_P(GivenPlace, IsTheOnlyOneJoinedIntoAPath) {
    const GivenPlaceCase& row = GetParam();
    if (!row.desktopChosen) {
        controls.Toggle(setup::CheckBox::Check1);
    }
    controls.Type(root / "apps");
    ASSERT_TRUE(BeginInstall());

    EXPECT_FALSE(Exists(Joined("", setup::kLauncherFile))) << "at the root of the drive";
    if (row.step == nullptr) {
        EXPECT_THAT(services.Shown(),
                    ElementsAre("Finished|Velmora_KZ 2.0.1 Installation is Complete"));
        return;
    }
    ExpectRefused("Path not found", row.step, "<none>");
    EXPECT_FALSE(Exists(layout.applicationFolder));
    EXPECT_FALSE(Exists(root / "apps"));
}

const GivenPlaceCase kGivenPlaces[] = {
    {"DesktopOfTheUser", [](platform::Layout& layout) { layout.userPlaces.desktop = ""; },
     "Could not install: the system gives no folder for the desktop of the current user."},
    {"StartMenuOfTheUserNotAFullPath",
     [](platform::Layout& layout) { layout.userPlaces.startMenu = "Start Menu"; },
     "Could not install: the system gives \"Start Menu\" for the Start menu of the current user, "
     "which is not a full path."},
    {"ProfileOfTheUser", [](platform::Layout& layout) { layout.userPlaces.profile = ""; },
     "Could not install: the system gives no folder for the profile of the current user."},
    {"ProgramsMenuOfEveryUser",
     [](platform::Layout& layout) {
         layout.scope = platform::Scope::Everyone;
         layout.userPlaces = {};
         layout.sharedPlaces.programs = "";
     },
     "Could not install: the system gives no folder for the Programs menu of every user."},
    {"DesktopNotChosen", [](platform::Layout& layout) { layout.userPlaces.desktop = ""; }, nullptr,
     false},
};

INSTANTIATE_TEST_SUITE_P(Each, GivenPlace, ::testing::ValuesIn(kGivenPlaces),
                         [](const auto& info) { return std::string(info.param.name); });

#ifdef _WIN32
// Vista and later: the places the shell names (here a profile named otherwise and a desktop
// moved to OneDrive), the user's own or, with administrator rights, every user's; the Programs
// copy gets the shortcut the Start menu shows.
class ShellScope : public InstallerTest, public ::testing::WithParamInterface<bool> {
protected:
    platform::ShellPlaces places{
        .own = {.profile = root / "Users\\ann.000",
                .desktop = root / "Users\\ann.000\\OneDrive\\Desktop",
                .startMenu = root / "Users\\ann.000\\Start Menu",
                .programs = root / "Users\\ann.000\\Start Menu\\Programs",
                .iconTheme = ""},
        .everyone = {.profile = "",
                     .desktop = root / "Users\\Public\\Desktop",
                     .startMenu = root / "ProgramData\\Start Menu",
                     .programs = root / "ProgramData\\Start Menu\\Programs",
                     .iconTheme = ""},
    };
};

TEST_P(ShellScope, PutsTheCopiesAndTheShortcutWhereTheShellSays) {
    const bool everyone = GetParam();
    for (const auto* scope : {&places.own, &places.everyone}) {
        MakeFolders(scope->desktop);
        MakeFolders(scope->programs);
    }
    UseLayout(platform::ShellLayout(places, everyone, root.Path()));
    Start();
    ASSERT_TRUE(BeginInstall());
    EXPECT_THAT(services.Shown(),
                ElementsAre("Finished|Velmora_KZ 2.0.1 Installation is Complete"));

    const platform::UserPlaces& used = everyone ? places.everyone : places.own;
    const platform::UserPlaces& unused = everyone ? places.own : places.everyone;
    const std::string launcher = BytesOf(setup::kLauncherFile);
    for (const auto& folder : {used.desktop, used.startMenu, used.programs}) {
        EXPECT_EQ(ReadFile(Joined(folder, setup::kLauncherFile)), launcher) << folder;
    }
    for (const auto& folder : {unused.desktop, unused.startMenu}) {
        EXPECT_FALSE(Exists(Joined(folder, setup::kLauncherFile))) << folder;
    }
    EXPECT_THAT(FolderEntries(unused.programs), ::testing::IsEmpty());
    EXPECT_THAT(FolderEntries(used.startMenu), ElementsAre("Programs", setup::kLauncherFile));

    const std::string programsCopy = Joined(used.programs, setup::kLauncherFile);
    const wine_testing::ShortcutFile link =
        wine_testing::ReadShortcut(Joined(used.programs, setup::kStartMenuShortcut));
    EXPECT_EQ(link.target, programsCopy);
    EXPECT_EQ(link.workingFolder, layout.applicationFolder) << "the install folder";
    EXPECT_EQ(link.icon, programsCopy + ",0");
    EXPECT_EQ(LogTexts(LogPath()).back(), "Copied Installation Files Successfully");
}

INSTANTIATE_TEST_SUITE_P(Each, ShellScope, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "ForEveryUser" : "ForTheUser");
});
#endif

}  // namespace
