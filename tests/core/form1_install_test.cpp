#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

#include "platform/layout_posix.h"
#include "setup/core/installation_files.h"
#include "setup/core/menu_icon.h"
#include "tests/support/installer_fixture.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using namespace testing_support;

namespace {

class FirstInstall : public InstallerTest {
protected:
    void SetUp() override {
        MakeFolders(Profile());
        Start();
    }

    std::vector<std::string> LogFromInstall() const {
        auto texts = LogTexts(LogPath());
        return texts;
    }

    void ExpectApplicationFiles(const std::string& folder, std::size_t count) const {
        for (std::size_t i = 0; i < setup::kInstallationFiles.size(); ++i) {
            const std::string name(setup::kInstallationFiles[i]);
            if (i < count) {
                EXPECT_EQ(ReadFile(folder + "/" + name), BytesOf(name)) << name;
            } else {
                EXPECT_FALSE(Exists(folder + "/" + name)) << name << " should not be copied";
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
                            "Created " + app + "/Startup.txt Successfully",
                            "Current User Name " + UserName(), "Creating Desktop Icon",
                            "Creating Start Menu Shortcut", "Creating Program Menu Shortcut Icon",
                            "Copied Installation Files Successfully"));
    EXPECT_EQ(ReadFile(app + "/Start_up.txt"), app + "\r\n");
    ExpectApplicationFiles(app, setup::kInstallationFiles.size());

    const std::string launcher = BytesOf(setup::kLauncherFile);
    EXPECT_EQ(ReadFile(Profile() + "/Desktop/Velmora_KZ.2.0.1.exe"), launcher);
    EXPECT_EQ(ReadFile(Profile() + "/.local/share/applications/Velmora_KZ.2.0.1.exe"), launcher);
    EXPECT_EQ(ReadFile(Profile() + "/.local/bin/Velmora_KZ.2.0.1.exe"), launcher);
    const std::string entry =
        ReadFile(Profile() + "/.local/share/applications/Velmora_KZ.2.0.1.desktop");
    EXPECT_NE(entry.find("\nExec=\"" + Profile() +
                         "/.local/share/applications/"
                         "Velmora_KZ.2.0.1.exe\"\n"),
              std::string::npos)
        << entry;

    ASSERT_EQ(harness.Messages().size(), 1u);
    EXPECT_EQ(harness.Messages()[0].title, "Finished");
    EXPECT_EQ(harness.Messages()[0].text, "Velmora_KZ 2.0.1 Installation is Complete");
}

TEST_F(FirstInstall, LeavesNothingWritableByOthers) {
    ASSERT_TRUE(BeginInstall());
    for (const std::string& path : {layout.applicationFolder, layout.HandoverFile(),
                                    layout.applicationFolder + "/Velmora_KZ.exe",
                                    Profile() + "/Desktop/Velmora_KZ.2.0.1.exe"}) {
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0) << path;
        EXPECT_EQ(info.st_mode & 022, 0u) << path;
    }
    struct stat program {};
    ::stat((layout.applicationFolder + "/Velmora_KZ.2.0.1.exe").c_str(), &program);
    EXPECT_NE(program.st_mode & 0100, 0u) << "a copied program stays executable";
}

TEST_F(FirstInstall, TypedDestinationIsRecordedUnchangedAndMade) {
    const std::string destination = root / "Apps Tool ";
    controls.Type(destination);
    ASSERT_TRUE(BeginInstall());

    EXPECT_EQ(ReadFile(layout.HandoverFile()), destination + "\r\n");
    ExpectApplicationFiles(destination, setup::kInstallationFiles.size());
    const auto log = LogTexts(LogPath());
    ASSERT_EQ(log.size(), 10u);
    EXPECT_EQ(log[8], "Created Directory: " + destination + " Successfully");
    EXPECT_EQ(log[9], "Copied Installation Files Successfully");
}

TEST_F(FirstInstall, ClearedOptionsMakeNoCopiesAndNoLines) {
    controls.Toggle(setup::CheckBox::Check1);
    controls.Toggle(setup::CheckBox::Check2);
    controls.Toggle(setup::CheckBox::Check3);
    ASSERT_TRUE(BeginInstall());

    const auto log = LogTexts(LogPath());
    EXPECT_THAT(log, ::testing::Not(::testing::Contains(::testing::HasSubstr("Creating"))));
    EXPECT_FALSE(Exists(Profile() + "/Desktop"));
    EXPECT_FALSE(Exists(Profile() + "/.local"));
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
    ASSERT_EQ(harness.Messages().size(), 1u);
    EXPECT_EQ(harness.Messages()[0].title, "Finished");
}

// Another spelling of the working folder is another string, so every file is "copied" onto
// itself: the sources must come through intact.
TEST_F(FirstInstall, WorkingFolderSpelledDifferentlyKeepsEveryFileIntact) {
    ::symlink(working.c_str(), (root / "link").c_str());
    for (const std::string& spelling : {working + "/", working + "/.", root / "link"}) {
        controls.Type(spelling);
        ASSERT_TRUE(BeginInstall()) << spelling;
        EXPECT_EQ(LogTexts(LogPath()).back(), "Copied Installation Files Successfully");
        ExpectApplicationFiles(working, setup::kInstallationFiles.size());
        EXPECT_EQ(FolderEntries(working).size(), setup::kInstallationFiles.size() + 1)
            << "no temporary file is left beside the sources";
    }
}

TEST_F(FirstInstall, SecondInstallReplacesFilesAndHandOver) {
    ASSERT_TRUE(BeginInstall());
    WriteFile(working + "/readme.txt", "new readme");
    const std::string second = root / "second";
    controls.Type(second);
    ASSERT_TRUE(BeginInstall());

    EXPECT_EQ(ReadFile(layout.HandoverFile()), second + "\r\n");
    EXPECT_EQ(ReadFile(layout.applicationFolder + "/readme.txt"), BytesOf("readme.txt"));
    EXPECT_EQ(ReadFile(second + "/readme.txt"), "new readme");
}

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
    const auto log = LogTexts(LogPath());
    ASSERT_EQ(log.size(), 9u) << ::testing::PrintToString(log);
    EXPECT_EQ(log[2], "Created Directory: " + app + " Successfully");
    EXPECT_EQ(log[3], "Created " + app + "/Startup.txt Successfully");
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

class FailedInstall : public FirstInstall {
protected:
    std::vector<std::string> FailureLines() const {
        auto log = LogTexts(LogPath());
        return {log.end() - std::min<std::size_t>(4, log.size()), log.end()};
    }

    void ExpectFailureReported(const std::string& description, const std::string& source,
                               const std::string& desktopTarget) const {
        EXPECT_THAT(
            FailureLines(),
            ElementsAre("Error During Setup: " + description, "Working Directory: " + working,
                        "Source Directory: " + source, "Destination Directory: " + desktopTarget));
        ASSERT_EQ(harness.Messages().size(), 1u) << "no completion message";
        EXPECT_EQ(harness.Messages()[0].title, "Velmora_KZ 2.0.1 Setup");
        EXPECT_EQ(harness.Messages()[0].text,
                  "Error During Setup: " + description + "\r\nSee " + LogPath() + " for details.");
    }

    std::string Source() const { return working + "/Velmora_KZ.2.0.1.exe"; }
    std::string DesktopTarget() const { return Profile() + "/Desktop/Velmora_KZ.2.0.1.exe"; }
};

TEST_F(FailedInstall, MissingApplicationFileStopsTheCopyThere) {
    std::filesystem::remove(working + "/make.gif");
    ASSERT_TRUE(BeginInstall());
    ExpectFailureReported("File not found", Source(), DesktopTarget());
    ExpectApplicationFiles(layout.applicationFolder, 6);
    EXPECT_EQ(LogTexts(LogPath()).size(), 8u + 4u);
}

TEST_F(FailedInstall, MissingParentOfDestinationFailsAfterTheShortcuts) {
    controls.Type(root / "missing/parent");
    ASSERT_TRUE(BeginInstall());
    ExpectFailureReported("Path not found", Source(), DesktopTarget());
    EXPECT_TRUE(Exists(DesktopTarget()));
    EXPECT_EQ(ReadFile(layout.HandoverFile()), root / "missing/parent" + "\r\n");
}

TEST_F(FailedInstall, StartedWithoutTheLauncherFailsOnTheFirstShortcut) {
    std::filesystem::remove(Source());
    ASSERT_TRUE(BeginInstall());
    ExpectFailureReported("File not found", Source(), DesktopTarget());
    EXPECT_EQ(LogTexts(LogPath())[5], "Creating Desktop Icon");
    EXPECT_FALSE(Exists(DesktopTarget()));
}

TEST_F(FailedInstall, ApplicationFolderThatIsAFileFailsBeforeAnyTarget) {
    WriteFile(layout.applicationFolder, "precious");
    ASSERT_TRUE(BeginInstall());
    ExpectFailureReported("Path not found", "", "");
    EXPECT_EQ(ReadFile(layout.applicationFolder), "precious");
}

}  // namespace
