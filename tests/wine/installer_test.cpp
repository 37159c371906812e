#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "platform/win32/windows_api.h"
#include "setup/core/form1.h"
#include "setup/core/installation_files.h"
#include "tests/support/installer_fixture.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using namespace testing_support;

namespace {

// The installer of the Linux tests, started, with the profile folders a Windows user has.
class Install : public InstallerTest {
protected:
    void SetUp() override {
        MakeFolders(Profile() + "\\Desktop");
        MakeFolders(Profile() + "\\Start Menu\\Programs");
        Start();
    }

    std::string Launcher() const { return BytesOf(setup::kLauncherFile); }

    void ExpectApplicationFiles(const std::string& folder) const {
        for (const auto name : setup::kInstallationFiles) {
            EXPECT_EQ(ReadFile(folder + "\\" + std::string(name)), BytesOf(name)) << name;
        }
    }
};

TEST_F(Install, WritesTheLogTheHandOverFileAndTheLauncherCopies) {
    ASSERT_TRUE(BeginInstall());

    const std::string app = layout.applicationFolder;
    EXPECT_THAT(LogTexts(LogPath()),
                ElementsAre("Install Log Initialized", "Created Install.log Successfully",
                            "Created Directory: " + app + " Successfully",
                            "Created " + app + "\\Startup.txt Successfully",
                            "Current User Name " + UserName(), "Creating Desktop Icon",
                            "Creating Start Menu Shortcut", "Creating Program Menu Shortcut Icon",
                            "Copied Installation Files Successfully"));
    EXPECT_EQ(ReadFile(app + "\\Start_up.txt"), app + "\r\n");
    ExpectApplicationFiles(app);
    EXPECT_EQ(ReadFile(Profile() + "\\Desktop\\Velmora_KZ.2.0.1.exe"), Launcher());
    EXPECT_EQ(ReadFile(Profile() + "\\Start Menu\\Velmora_KZ.2.0.1.exe"), Launcher());
    EXPECT_EQ(ReadFile(Profile() + "\\Start Menu\\Programs\\Velmora_KZ.2.0.1.exe"), Launcher());
    EXPECT_THAT(FolderEntries(Profile() + "\\Start Menu"),
                ElementsAre("Programs", "Velmora_KZ.2.0.1.exe"))
        << "the copy is the shortcut; nothing else is written beside it";

    ASSERT_EQ(harness.Messages().size(), 1u);
    EXPECT_EQ(harness.Messages()[0].title, "Finished");
    EXPECT_EQ(harness.Messages()[0].text, "Velmora_KZ 2.0.1 Installation is Complete");
}

TEST_F(Install, MissingMenuFolderIsNotMadeAndEndsTheInstall) {
    RemoveTree(Profile() + "\\Start Menu");
    ASSERT_TRUE(BeginInstall());

    const auto log = LogTexts(LogPath());
    ASSERT_GE(log.size(), 4u);
    EXPECT_THAT(
        std::vector<std::string>(log.end() - 4, log.end()),
        ElementsAre("Error During Setup: Path not found", "Working Directory: " + working,
                    "Source Directory: " + working + "\\Velmora_KZ.2.0.1.exe",
                    "Destination Directory: " + Profile() + "\\Desktop\\Velmora_KZ.2.0.1.exe"));
    EXPECT_EQ(ReadFile(Profile() + "\\Desktop\\Velmora_KZ.2.0.1.exe"), Launcher());
    EXPECT_FALSE(Exists(Profile() + "\\Start Menu"));
    for (const auto& message : harness.Messages()) {
        EXPECT_NE(message.title, "Finished");
    }
}

TEST_F(Install, UserWithoutAProfileFolderGetsTheSharedPlaces) {
    RemoveTree(Profile());
    MakeFolders(layout.sharedPlaces.desktop);
    MakeFolders(layout.sharedPlaces.programs);
    ASSERT_TRUE(BeginInstall());
    EXPECT_EQ(ReadFile(layout.sharedPlaces.desktop + "\\Velmora_KZ.2.0.1.exe"), Launcher());
    EXPECT_EQ(ReadFile(layout.sharedPlaces.startMenu + "\\Velmora_KZ.2.0.1.exe"), Launcher());
    EXPECT_EQ(ReadFile(layout.sharedPlaces.programs + "\\Velmora_KZ.2.0.1.exe"), Launcher());
    EXPECT_FALSE(Exists(Profile()));
}

TEST_F(Install, TypedDestinationIsRecordedAndMade) {
    const std::string destination = root / "Apps Tool";
    controls.Type(destination);
    ASSERT_TRUE(BeginInstall());
    EXPECT_EQ(ReadFile(layout.HandoverFile()), destination + "\r\n");
    ExpectApplicationFiles(destination);
    const auto log = LogTexts(LogPath());
    ASSERT_EQ(log.size(), 10u);
    EXPECT_EQ(log[8], "Created Directory: " + destination + " Successfully");
}

TEST_F(Install, DestinationEqualToTheWorkingFolderCopiesNothing) {
    controls.Type(working);
    ASSERT_TRUE(BeginInstall());
    EXPECT_THAT(LogTexts(LogPath()), Not(Contains("Copied Installation Files Successfully")));
    ExpectApplicationFiles(working);
    ASSERT_EQ(harness.Messages().size(), 1u);
    EXPECT_EQ(harness.Messages()[0].title, "Finished");
}

// Letter case and a trailing backslash make another string for the same folder, so every file
// is "copied" onto itself: the sources must come through intact.
TEST_F(Install, WorkingFolderSpelledOtherwiseKeepsEveryFileIntact) {
    std::string upper = working;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (const std::string& spelling : {upper, working + "\\", working + "\\."}) {
        controls.Type(spelling);
        ASSERT_TRUE(BeginInstall()) << spelling;
        EXPECT_EQ(LogTexts(LogPath()).back(), "Copied Installation Files Successfully");
        ExpectApplicationFiles(working);
        EXPECT_EQ(FolderEntries(working).size(), setup::kInstallationFiles.size() + 1)
            << "no temporary file is left beside the sources";
    }
}

TEST(FileExists, TellsMissingFromEmptyFromFull) {
    TempFolder folder;
    WriteFile(folder / "empty", "");
    WriteFile(folder / "full", "x");
    EXPECT_EQ(setup::Form1::FileExists(folder / "missing"), -1);
    EXPECT_EQ(setup::Form1::FileExists(""), -1);
    EXPECT_EQ(setup::Form1::FileExists(folder / "*"), -1);
    EXPECT_EQ(setup::Form1::FileExists(folder.Path()), 0);
    EXPECT_EQ(setup::Form1::FileExists(folder.Path() + "\\"), 0);
    EXPECT_EQ(setup::Form1::FileExists(folder.Path().substr(0, 3)), 0);
    EXPECT_EQ(setup::Form1::FileExists(folder / "empty"), 0);
    EXPECT_EQ(setup::Form1::FileExists(folder / "full"), 1);
    EXPECT_EQ(setup::Form1::FileExists(folder / "full\\below"), -1);
}

TEST(GetCurrentUserName, IsTheBareLogOnName) {
    char name[256] = {};
    DWORD size = sizeof name;
    ASSERT_TRUE(::GetUserNameA(name, &size));
    EXPECT_EQ(setup::Form1::GetCurrentUserName(), std::string(name));
}

}  // namespace
