#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

#include "setup/core/installation_files.h"
#include "tests/support/installer_fixture.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
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

TEST_F(FirstInstall, NoProfileFolderUsesTheSharedPlaces) {
    std::filesystem::remove_all(Profile());
    ASSERT_TRUE(BeginInstall());
    const std::string launcher = BytesOf(setup::kLauncherFile);
    EXPECT_EQ(ReadFile(layout.sharedDesktop + "/Velmora_KZ.2.0.1.exe"), launcher);
    EXPECT_EQ(ReadFile(layout.sharedStartMenu + "/Velmora_KZ.2.0.1.exe"), launcher);
    EXPECT_EQ(ReadFile(layout.sharedPrograms + "/Velmora_KZ.2.0.1.exe"), launcher);
    EXPECT_FALSE(Exists(Profile()));
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

class FailedInstall : public FirstInstall {
protected:
    std::vector<std::string> FailureLines() const {
        auto log = LogTexts(LogPath());
        return {log.end() - std::min<std::size_t>(4, log.size()), log.end()};
    }

    void ExpectFailureReported(const std::string& description, const std::string& step,
                               const std::string& source, const std::string& desktopTarget) const {
        EXPECT_THAT(
            FailureLines(),
            ElementsAre("Error During Setup: " + description, "Working Directory: " + working,
                        "Source Directory: " + source, "Destination Directory: " + desktopTarget));
        ASSERT_EQ(harness.Messages().size(), 1u) << "no completion message";
        EXPECT_EQ(harness.Messages()[0].title, "Velmora_KZ 2.0.1 Setup");
        EXPECT_EQ(harness.Messages()[0].text, "Error During Setup: " + description + "\r\n" + step +
                                                  "\r\nSee " + LogPath() + " for details.");
    }

    std::string Source() const { return working + "/Velmora_KZ.2.0.1.exe"; }
    std::string DesktopTarget() const { return Profile() + "/Desktop/Velmora_KZ.2.0.1.exe"; }
};

TEST_F(FailedInstall, MissingApplicationFileCopiesNoneAndTakesBackTheRecord) {
    std::filesystem::remove(working + "/make.gif");
    ASSERT_TRUE(BeginInstall());
    const std::string app = layout.applicationFolder;
    ExpectFailureReported("File not found", "Could not copy make.gif to " + app + "/make.gif.",
                          Source(), DesktopTarget());
    ExpectApplicationFiles(app, 0);
    EXPECT_EQ(LogTexts(LogPath()).size(), 8u + 4u);
    EXPECT_FALSE(Exists(layout.HandoverFile()));
    EXPECT_EQ(FolderEntries(app), std::vector<std::string>{}) << "no temporary file is left";
}

TEST_F(FailedInstall, MissingParentOfDestinationFailsAfterTheShortcuts) {
    controls.Type(root / "missing/parent");
    ASSERT_TRUE(BeginInstall());
    ExpectFailureReported("Path not found",
                          "Could not create the folder " + root / "missing/parent" + ".", Source(),
                          DesktopTarget());
    EXPECT_TRUE(Exists(DesktopTarget()));
    EXPECT_FALSE(Exists(layout.HandoverFile()));
}

TEST_F(FailedInstall, StartedWithoutTheLauncherFailsOnTheFirstShortcut) {
    std::filesystem::remove(Source());
    ASSERT_TRUE(BeginInstall());
    ExpectFailureReported("File not found",
                          "Could not copy " + Source() + " to " + DesktopTarget() + ".", Source(),
                          DesktopTarget());
    EXPECT_EQ(LogTexts(LogPath())[5], "Creating Desktop Icon");
    EXPECT_FALSE(Exists(DesktopTarget()));
}

TEST_F(FailedInstall, ApplicationFolderThatIsAFileFailsBeforeAnyTarget) {
    MakeFolders(root / "opt");
    WriteFile(layout.applicationFolder, "precious");
    ASSERT_TRUE(BeginInstall());
    ExpectFailureReported("Path not found",
                          "Could not write the file " + layout.HandoverFile() + ".", "", "");
    EXPECT_EQ(ReadFile(layout.applicationFolder), "precious");
}

}  // namespace
