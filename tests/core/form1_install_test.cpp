// Built into the tests of both systems.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/bundled_runtime.h"
#include "platform/file_system.h"
#include "record/file_identity.h"
#include "record/install_record.h"
#include "setup/core/installation_files.h"
#include "setup/core/menu_icon.h"
#include "tests/support/installer_fixture.h"

#ifdef _WIN32
#include "platform/windows/windows_api.h"
#else
#include <unistd.h>

#include "platform/posix/layout.h"
#endif

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using namespace testing_support;

namespace {

class FirstInstall : public InstallerTest {
protected:
    void SetUp() override {
        MakeFolders(Profile());
        ProvideTargetFolders(DesktopFolder(), ProgramsFolder());
        Start();
    }

    // A Windows profile comes with its desktop and menus and the installer makes none; elsewhere
    // they are made on demand.
    void ProvideTargetFolders(const std::string& desktop, const std::string& programs) const {
        if (!layout.createsMissingTargetFolders) {
            MakeFolders(desktop);
            MakeFolders(programs);
        }
    }

    static std::string Launcher() { return BytesOf(setup::kLauncherFile); }
    static std::string LauncherIn(const std::string& folder) {
        return Joined(folder, std::string(setup::kLauncherFile));
    }

    void ExpectApplicationFiles(const std::string& folder, std::size_t count) const {
        for (std::size_t i = 0; i < setup::kInstallationFiles.size(); ++i) {
            const std::string name(setup::kInstallationFiles[i]);
            if (i < count) {
                EXPECT_EQ(ReadFile(Joined(folder, name)), BytesOf(name)) << name;
            } else {
                EXPECT_FALSE(Exists(Joined(folder, name))) << name << " should not be copied";
            }
        }
    }
};

TEST_F(FirstInstall, ReproducesTheLogHandOverFilesAndLauncherCopies) {
    ASSERT_TRUE(BeginInstall());

    const std::string app = layout.applicationFolder;
    EXPECT_THAT(LogTexts(LogPath()),
                ElementsAre("Install Log Initialized", "Created Install.log Successfully",
                            "Created Directory: " + app + " Successfully",
                            "Created " + Joined(app, "Startup.txt") + " Successfully",
                            "Current User Name " + UserName(), "Creating Desktop Icon",
                            "Creating Start Menu Shortcut", "Creating Program Menu Shortcut Icon",
                            "Installation Files Not Checked: the medium has no Installation.files",
                            "Copied Installation Files Successfully"));
    EXPECT_EQ(ReadFile(Joined(app, "Start_up.txt")), app + "\r\n");
    ExpectApplicationFiles(app, setup::kInstallationFiles.size());

    EXPECT_EQ(ReadFile(LauncherIn(DesktopFolder())), Launcher());
    EXPECT_EQ(ReadFile(LauncherIn(StartMenuFolder())), Launcher());
    EXPECT_EQ(ReadFile(LauncherIn(ProgramsFolder())), Launcher());
#ifdef _WIN32
    EXPECT_THAT(FolderEntries(StartMenuFolder()), ElementsAre("Programs", setup::kLauncherFile))
        << "the copy is the shortcut; nothing else is written beside it";
#else
    const std::string entry = ReadFile(Joined(StartMenuFolder(), "Velmora_KZ.2.0.1.desktop"));
    EXPECT_NE(entry.find("\nExec=\"" + LauncherIn(StartMenuFolder()) + "\"\n"), std::string::npos)
        << entry;
#endif

    EXPECT_THAT(services.Shown(),
                ElementsAre("Finished|Velmora_KZ 2.0.1 Installation is Complete"));
}

// Where the medium carries the window toolkit, every launcher copy finds it in the application
// folder it follows, whatever the install folder.
TEST_F(FirstInstall, TheMediumsWindowToolkitGoesToTheApplicationFolder) {
    const std::string toolkit = Joined(working, platform::kBundledRuntimeFolder);
    MakeFolders(Joined(toolkit, "platforms"));
    WriteFile(Joined(toolkit, "platforms", "plugin"), "a plugin");
    controls.Type(root / "elsewhere");
    ASSERT_TRUE(BeginInstall());
    EXPECT_EQ(services.EndStatus(), platform::ExitStatus::Success);
    EXPECT_EQ(ReadFile(Joined(layout.applicationFolder, platform::kBundledRuntimeFolder,
                              "platforms", "plugin")),
              "a plugin");
    EXPECT_FALSE(Exists(Joined(root / "elsewhere", platform::kBundledRuntimeFolder)));
}

TEST_F(FirstInstall, TypedDestinationIsRecordedUnchangedAndMade) {
#ifdef _WIN32
    const std::string destination = root / "Apps Tool";  // Windows drops a name's end blanks
#else
    const std::string destination = root / "Apps Tool ";
#endif
    controls.Type(destination);
    ASSERT_TRUE(BeginInstall());

    EXPECT_EQ(ReadFile(layout.HandoverFile()), destination + "\r\n");
    ExpectApplicationFiles(destination, setup::kInstallationFiles.size());
    const auto log = LogTexts(LogPath());
    ASSERT_EQ(log.size(), 11u);
    EXPECT_EQ(log[8], "Created Directory: " + destination + " Successfully");
    EXPECT_EQ(log[10], "Copied Installation Files Successfully");
}

TEST_F(FirstInstall, ClearedOptionsMakeNoCopiesAndNoLines) {
    auto profileBefore = FolderEntries(Profile());
    // A user's own application folder lies in their home folder, which is their profile folder.
    if (layout.applicationFolder == Joined(Profile(), "Velmora_KZ")) {
        profileBefore.push_back("Velmora_KZ");
        std::sort(profileBefore.begin(), profileBefore.end());
    }
    controls.Toggle(setup::CheckBox::Check1);
    controls.Toggle(setup::CheckBox::Check2);
    controls.Toggle(setup::CheckBox::Check3);
    ASSERT_TRUE(BeginInstall());

    const auto log = LogTexts(LogPath());
    EXPECT_THAT(log, ::testing::Not(::testing::Contains(::testing::HasSubstr("Creating"))));
    EXPECT_EQ(FolderEntries(Profile()), profileBefore);
    for (const auto& folder : {DesktopFolder(), StartMenuFolder(), ProgramsFolder()}) {
        EXPECT_FALSE(Exists(LauncherIn(folder))) << folder;
    }
    EXPECT_EQ(log.back(), "Copied Installation Files Successfully");
}

TEST_F(FirstInstall, ExistingDestinationIsNotMadeAgain) {
    const std::string destination = root / "existing";
    MakeFolders(destination);
    controls.Type(destination);
    ASSERT_TRUE(BeginInstall());
    EXPECT_THAT(
        LogTexts(LogPath()),
        ::testing::Not(::testing::Contains("Created Directory: " + destination + " Successfully")));
    ExpectApplicationFiles(destination, setup::kInstallationFiles.size());
}

TEST_F(FirstInstall, DestinationEqualToWorkingFolderCopiesNothing) {
    controls.Type(working);
    ASSERT_TRUE(BeginInstall());
    EXPECT_NE(LogTexts(LogPath()).back(), "Copied Installation Files Successfully");
    ExpectApplicationFiles(working, setup::kInstallationFiles.size());
    EXPECT_THAT(services.Shown(), ElementsAre(::testing::StartsWith("Finished|")));
}

// Another spelling of the working folder is another string, so every file is "copied" onto
// itself: the sources must come through intact.
TEST_F(FirstInstall, WorkingFolderSpelledDifferentlyKeepsEveryFileIntact) {
    std::vector<std::string> spellings{working + kSeparator, Joined(working, ".")};
#ifdef _WIN32
    std::string upper = working;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    spellings.push_back(upper);
#else
    ::symlink(working.c_str(), (root / "link").c_str());
    spellings.push_back(root / "link");
#endif
    for (const std::string& spelling : spellings) {
        controls.Type(spelling);
        ASSERT_TRUE(BeginInstall()) << spelling;
        EXPECT_EQ(LogTexts(LogPath()).back(), "Copied Installation Files Successfully");
        ExpectApplicationFiles(working, setup::kInstallationFiles.size());
        EXPECT_EQ(FolderEntries(working).size(), setup::kInstallationFiles.size() + 1)
            << "no temporary file is left beside the sources";
    }
}

#ifndef _WIN32
// An earlier D spelled with ".." after a link lies elsewhere than its spelling: its record does
// not vouch for the file of the user's at the spelled place, which is kept before it is replaced.
TEST_F(FirstInstall, AnEarlierInstallSpelledThroughALinkVouchesOnlyForItsOwnFiles) {
    MakeFolders(Joined(root / "disk", "y"));
    ASSERT_EQ(::symlink(Joined(root / "disk", "y").c_str(), (root / "x").c_str()), 0);
    controls.Type(Joined(root / "x", "..", "App"));
    ASSERT_TRUE(BeginInstall());
    ASSERT_EQ(ReadFile(Joined(root / "disk", "App", "readme.txt")), BytesOf("readme.txt"));
    MakeFolders(root / "App");
    WriteFile(Joined(root / "App", "readme.txt"), "the user's own readme");

    controls.Type(root / "App");
    ASSERT_TRUE(BeginInstall());
    EXPECT_EQ(ReadFile(Joined(layout.applicationFolder, setup::kKeptFilesFolder, "readme.txt")),
              "the user's own readme");
}
#endif

#ifdef _WIN32
// On Linux the install for everyone has no profile folder: the layout test covers it.
TEST_F(FirstInstall, NoProfileFolderUsesTheSharedPlaces) {
    RemoveTree(Profile());
    const platform::UserPlaces& shared = layout.sharedPlaces;
    ProvideTargetFolders(shared.desktop, shared.programs);
    ASSERT_TRUE(BeginInstall());
    EXPECT_EQ(ReadFile(LauncherIn(shared.desktop)), Launcher());
    EXPECT_EQ(ReadFile(LauncherIn(shared.startMenu)), Launcher());
    EXPECT_EQ(ReadFile(LauncherIn(shared.programs)), Launcher());
    EXPECT_FALSE(Exists(Profile()));
}
#endif

#ifndef _WIN32
// Root installs for every user, in the shared places; anyone else for themselves under their home
// folder H, with the desktop copy in the desktop folder their user-dirs.dirs names.
struct ScopeCase {
    const char* name;
    bool everyone;
    const char* userDirs;  // H/.config/user-dirs.dirs; nullptr: none
    // Under the test root; "~" stands for H.
    const char* applicationFolder;
    const char* desktop;
    const char* startMenu;
    const char* programs;
    const char* iconTheme;
};

const ScopeCase kScopeCases[] = {
    {"Everyone", true, nullptr, "/opt/Velmora_KZ", "/etc/skel/Desktop",
     "/usr/local/share/applications", "/usr/local/bin", "/usr/local/share/icons/hicolor"},
    {"UserWithoutUserDirs", false, nullptr, "~/Velmora_KZ", "~/Desktop",
     "~/.local/share/applications", "~/.local/bin", "~/.local/share/icons/hicolor"},
    {"UserWithDesktopInHome", false, "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n", "~/Velmora_KZ",
     "~/Schreibtisch", "~/.local/share/applications", "~/.local/bin",
     "~/.local/share/icons/hicolor"},
};

class InstallScope : public InstallerTest, public ::testing::WithParamInterface<ScopeCase> {
protected:
    std::string Place(std::string_view place) const {
        return place.starts_with('~') ? home + std::string(place.substr(1))
                                      : root.Path() + std::string(place);
    }
    std::string home = root / "home/ann";
};

TEST_P(InstallScope, PutsEveryPieceInThePlacesOfItsScope) {
    const ScopeCase& row = GetParam();
    MakeFolders(home);
    if (row.userDirs != nullptr) {
        MakeFolders(home + "/.config");
        WriteFile(home + "/.config/user-dirs.dirs", row.userDirs);
    }
    UseLayout(row.everyone ? platform::LayoutForEveryone(root.Path())
                           : platform::LayoutForUser(home, root.Path()));
    Start();
    ASSERT_TRUE(BeginInstall());

    const std::string app = Place(row.applicationFolder);
    EXPECT_EQ(LogTexts(LogPath()).back(), "Copied Installation Files Successfully");
    EXPECT_EQ(ReadFile(app + "/Start_up.txt"), app + "\r\n");
    EXPECT_EQ(ReadFile(app + "/readme.txt"), BytesOf("readme.txt"));

    const std::string launcher = BytesOf(setup::kLauncherFile);
    for (const char* folder : {row.desktop, row.startMenu, row.programs}) {
        EXPECT_EQ(ReadFile(Place(folder) + "/Velmora_KZ.2.0.1.exe"), launcher) << folder;
    }
    const std::string menuCopy = Place(row.startMenu) + "/Velmora_KZ.2.0.1.exe";
    const std::string entry = ReadFile(Place(row.startMenu) + "/Velmora_KZ.2.0.1.desktop");
    EXPECT_THAT(entry, HasSubstr("\nExec=\"" + menuCopy + "\"\n"));
    EXPECT_THAT(entry, HasSubstr("\nIcon=Velmora_KZ\n"));
    for (std::size_t i = 0; i < setup::kMenuIconSizes.size(); ++i) {
        const std::string size = std::to_string(setup::kMenuIconSizes[i]);
        EXPECT_EQ(
            ReadFile(Place(row.iconTheme) + "/" + size + "x" + size + "/apps/" + "Velmora_KZ.png"),
            setup::kMenuIconImages[i])
            << size;
    }
}

INSTANTIATE_TEST_SUITE_P(Each, InstallScope, ::testing::ValuesIn(kScopeCases),
                         [](const auto& info) { return std::string(info.param.name); });
#endif

class FailedInstall : public FirstInstall {
protected:
    std::vector<std::string> FailureLines() const {
        auto log = LogTexts(LogPath());
        return {log.end() - std::min<std::ptrdiff_t>(4, std::ssize(log)), log.end()};
    }

    void ExpectFailureReported(const std::string& description, const std::string& step,
                               const std::string& source, const std::string& desktopTarget) const {
        EXPECT_THAT(
            FailureLines(),
            ElementsAre("Error During Setup: " + description, "Working Directory: " + working,
                        "Source Directory: " + source, "Destination Directory: " + desktopTarget));
        EXPECT_THAT(services.Shown(),
                    ElementsAre("Velmora_KZ 2.0.1 Setup|Error During Setup: " + description +
                                "\r\n" + step + "\r\nSee " + LogPath() + " for details."))
            << "the failure box alone, no completion message";
    }

    std::string Source() const { return LauncherIn(working); }
    std::string DesktopTarget() const { return LauncherIn(DesktopFolder()); }
};

TEST_F(FailedInstall, MissingApplicationFileCopiesNoneAndTakesBackTheRecord) {
    RemoveTree(Joined(working, "make.gif"));
    ASSERT_TRUE(BeginInstall());
    const std::string app = layout.applicationFolder;
    ExpectFailureReported("File not found",
                          "Could not copy make.gif to " + Joined(app, "make.gif") + ".", Source(),
                          DesktopTarget());
    ExpectApplicationFiles(app, 0);
    EXPECT_EQ(LogTexts(LogPath()).size(), 8u + 4u);
    EXPECT_FALSE(Exists(layout.HandoverFile()));
    EXPECT_FALSE(Exists(app)) << "made for this install, it goes with the rest";
}

// The shortcuts made before it are taken back with the rest.
TEST_F(FailedInstall, MissingParentOfDestinationFailsAfterTheShortcuts) {
    const std::string destination = Joined(root / "missing", "parent");
    controls.Type(destination);
    ASSERT_TRUE(BeginInstall());
    ExpectFailureReported("Path not found", "Could not create the folder " + destination + ".",
                          Source(), DesktopTarget());
    EXPECT_THAT(LogTexts(LogPath()), Contains("Creating Program Menu Shortcut Icon"));
    EXPECT_FALSE(Exists(DesktopTarget()));
    EXPECT_FALSE(Exists(layout.HandoverFile()));
}

TEST_F(FailedInstall, StartedWithoutTheLauncherFailsOnTheFirstShortcut) {
    RemoveTree(Source());
    ASSERT_TRUE(BeginInstall());
    ExpectFailureReported("File not found",
                          "Could not copy " + Source() + " to " + DesktopTarget() + ".", Source(),
                          DesktopTarget());
    EXPECT_EQ(LogTexts(LogPath())[5], "Creating Desktop Icon");
    EXPECT_FALSE(Exists(DesktopTarget()));
}

TEST_F(FailedInstall, ApplicationFolderThatIsAFileFailsBeforeAnyTarget) {
    WriteFile(layout.applicationFolder, "precious");
    ASSERT_TRUE(BeginInstall());
    ExpectFailureReported("Path not found",
                          "Could not write the file " + layout.HandoverFile() + ".", "", "");
    EXPECT_EQ(ReadFile(layout.applicationFolder), "precious");
}

#ifdef _WIN32
TEST_F(FailedInstall, MissingMenuFolderIsNotMadeAndEndsTheInstall) {
    RemoveTree(StartMenuFolder());
    ASSERT_TRUE(BeginInstall());
    ExpectFailureReported(
        "Path not found",
        "Could not copy " + Source() + " to " + LauncherIn(StartMenuFolder()) + ".", Source(),
        DesktopTarget());
    EXPECT_FALSE(Exists(DesktopTarget())) << "taken back with the rest";
    EXPECT_FALSE(Exists(StartMenuFolder()));
}

// A running program of the earlier installation holds its file open without leave to delete it,
// so the file cannot be replaced: the install puts back every file it had already replaced, and
// the hand-over file keeps naming the installation that works.
TEST_F(FailedInstall, DestinationFileInUseLeavesTheEarlierInstallationWhole) {
    const std::string destination = root / "apps";
    MakeFolders(destination);
    for (const auto name : setup::kInstallationFiles) {
        WriteFile(Joined(destination, std::string(name)), "earlier " + std::string(name));
    }
    MakeFolders(layout.applicationFolder);
    WriteFile(layout.HandoverFile(), destination + "\r\n");
    record::InstallRecord earlier{layout.scope, {destination}, {}, {}};
    platform::SystemFileSystem files;
    for (const auto name : setup::kInstallationFiles) {
        earlier.files.push_back(record::Identify(files, Joined(destination, std::string(name))));
    }
    const std::string earlierRecord = record::Format(earlier);
    WriteFile(layout.RecordFile(), earlierRecord);
    // Typed with a trailing backslash: the earlier record's files are still known as its own,
    // and the new record would differ from the earlier one.
    controls.Type(destination + "\\");
    const std::string running = Joined(destination, "Velmora_KZ.exe");
    const HANDLE held = ::CreateFileA(running.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(BeginInstall());
    ::CloseHandle(held);

    for (const auto name : setup::kInstallationFiles) {
        EXPECT_EQ(ReadFile(Joined(destination, std::string(name))), "earlier " + std::string(name))
            << name;
    }
    EXPECT_EQ(FolderEntries(destination).size(), setup::kInstallationFiles.size())
        << "no temporary file is left";
    EXPECT_EQ(ReadFile(layout.HandoverFile()), destination + "\r\n");
    EXPECT_EQ(ReadFile(layout.RecordFile()), earlierRecord);
    EXPECT_FALSE(Exists(Joined(layout.applicationFolder, setup::kKeptFilesFolder)));
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].text,
              "Error During Setup: Permission denied\r\nCould not copy Velmora_KZ.exe to " +
                  destination + "\\\\Velmora_KZ.exe.\r\nSee " + LogPath() + " for details.");
}
#endif

}  // namespace
