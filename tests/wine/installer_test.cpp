#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "platform/layout.h"
#include "platform/platform.h"
#include "platform/win32/windows_api.h"
#include "setup/form1.h"
#include "setup/installation_files.h"
#include "tests/support/memory_controls.h"
#include "tests/wine/wine_support.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using namespace wine_testing;
using setup::CheckBox;

namespace {

// An installer started from a medium in a temporary folder, with the Windows layout rooted
// there and a stand-in "java" on the search path.
class Installer : public ::testing::Test {
protected:
    Installer() : layout(platform::LayoutRootedIn(root.Path())), working(root / "medium") {
        MakeFolders(working);
        for (const auto name : setup::kInstallationFiles) {
            WriteFile(working + "\\" + std::string(name), BytesOf(name));
        }
        MakeFolders(root / "Documents and Settings");
        harness.ProvideJava(root);
        StartIn(working);
        form = std::make_unique<setup::Form1>(controls, layout);
        controls.Attach(*form);
        controls.SetLaidOutText(layout.applicationFolder);
    }

    static std::string BytesOf(std::string_view name) {
        return "contents of " + std::string(name) + std::string(name.size() * 3, 'x');
    }

    void MakeProfile() const {
        MakeFolders(Profile() + "\\Desktop");
        MakeFolders(Profile() + "\\Start Menu\\Programs");
    }

    void Start() { form->Form_Load(); }
    bool BeginInstall() {
        return EndsProgram([this] { form->Command1_Click(); });
    }

    static std::string UserName() { return setup::Form1::GetCurrentUserName(); }
    std::string Profile() const { return layout.profileRoot + UserName(); }
    std::string LogPath() const { return working + "\\Install.log"; }
    std::string Launcher() const { return BytesOf(setup::kLauncherFile); }

    void ExpectApplicationFiles(const std::string& folder) const {
        for (const auto name : setup::kInstallationFiles) {
            EXPECT_EQ(ReadFile(folder + "\\" + std::string(name)), BytesOf(name)) << name;
        }
    }

    TempFolder root;
    ProgramHarness harness;
    platform::Layout layout;
    std::string working;
    testing_support::MemoryControls controls;
    std::unique_ptr<setup::Form1> form;
};

class Install : public Installer {
protected:
    void SetUp() override {
        MakeProfile();
        Start();
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
    MakeFolders(layout.sharedDesktop);
    MakeFolders(layout.sharedPrograms);
    ASSERT_TRUE(BeginInstall());
    EXPECT_EQ(ReadFile(layout.sharedDesktop + "\\Velmora_KZ.2.0.1.exe"), Launcher());
    EXPECT_EQ(ReadFile(layout.sharedStartMenu + "\\Velmora_KZ.2.0.1.exe"), Launcher());
    EXPECT_EQ(ReadFile(layout.sharedPrograms + "\\Velmora_KZ.2.0.1.exe"), Launcher());
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

TEST_F(Installer, StartWithJavaStartsTheLogAndTicksEveryOption) {
    WriteFile(LogPath(), "an earlier run\r\n");
    ASSERT_FALSE(EndsProgram([this] { Start(); }));
    EXPECT_THAT(LogTexts(LogPath()), ElementsAre("Install Log Initialized"));
    EXPECT_EQ(form->WorkingFolder(), working);
    EXPECT_EQ(form->InstallFolder(), layout.applicationFolder);
    for (auto box : {CheckBox::Check1, CheckBox::Check2, CheckBox::Check3}) {
        EXPECT_EQ(controls.CheckValue(box), 1);
    }
    EXPECT_TRUE(form->DesktopIconOption() && form->StartMenuOption() && form->ProgramsMenuOption());
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(Installer, StartWithoutJavaExplainsLogsAndEnds) {
    harness.HideJava(root);
    ASSERT_TRUE(EndsProgram([this] { Start(); }));
    EXPECT_THAT(LogTexts(LogPath()), ElementsAre("Install Log Initialized", "Java Not Installed"));
    ASSERT_EQ(harness.Messages().size(), 1u);
    EXPECT_EQ(harness.Messages()[0].title, "Finished");
    EXPECT_THAT(harness.Messages()[0].text,
                HasSubstr("Velmora_KZ 2.0.1 Needs Java Version 1.4.2 or Higher To Execute\r\n"));
}

TEST_F(Installer, LogThatCannotBeWrittenEndsTheStart) {
    MakeFolders(LogPath());
    EXPECT_THROW(Start(), platform::RuntimeError);
    EXPECT_TRUE(harness.Messages().empty());
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
