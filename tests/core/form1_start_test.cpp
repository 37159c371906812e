// Built into the tests of both systems.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/support/installer_fixture.h"

#ifdef _WIN32
#include "platform/win32/windows_api.h"
#else
#include <pwd.h>
#include <unistd.h>
#endif

using ::testing::ElementsAre;
using namespace testing_support;
using setup::CheckBox;

namespace {

using StartUp = InstallerTest;

TEST_F(StartUp, WithJavaStartsTheLogAndTicksEveryOption) {
    WriteFile(LogPath(), "an earlier run\r\n");
    ASSERT_FALSE(EndsProgram([this] { Start(); }));

    EXPECT_THAT(LogTexts(LogPath()), ElementsAre("Install Log Initialized"));
    EXPECT_EQ(form->WorkingFolder(), working);
    EXPECT_EQ(form->InstallFolder(), layout.applicationFolder);
    EXPECT_TRUE(form->DesktopIconOption());
    EXPECT_TRUE(form->StartMenuOption());
    EXPECT_TRUE(form->ProgramsMenuOption());
    for (auto box : {CheckBox::Check1, CheckBox::Check2, CheckBox::Check3}) {
        EXPECT_EQ(controls.CheckValue(box), 1);
    }
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(StartUp, WithoutJavaExplainsLogsAndEnds) {
    harness.HideJava(root);
    ASSERT_TRUE(EndsProgram([this] { Start(); }));

    EXPECT_THAT(LogTexts(LogPath()), ElementsAre("Install Log Initialized", "Java Not Installed"));
    EXPECT_THAT(Shown(harness.Messages()),
                ElementsAre("Finished|Velmora_KZ 2.0.1 Needs Java Version 1.4.2 or Higher To "
                            "Execute\r\nDownload from www.java.com"));
}

TEST_F(StartUp, LogThatCannotBeWrittenIsAnUnhandledError) {
    MakeFolders(LogPath());
    EXPECT_EQ(ErrorNumberOf([this] { Start(); }), platform::error::kPathFileAccessError);
    EXPECT_TRUE(harness.Messages().empty()) << "nothing runs after the failed first line";
}

TEST_F(StartUp, AppendLogStartsAppendsAndRestarts) {
    Start();
    form->AppendLog("first");
    form->AppendLog("");
    form->AppendLog("initialize");
    EXPECT_THAT(LogTexts(LogPath()),
                ElementsAre("Install Log Initialized", "first", "", "initialize"));

    const std::string before = platform::LocalDateTimeText();
    form->AppendLog("Initialize");
    const std::string after = platform::LocalDateTimeText();
    EXPECT_THAT(LogTexts(LogPath()), ElementsAre("Install Log Initialized"));
    const auto stamp = CrLfLines(LogPath()).at(0).substr(0, before.size());
    EXPECT_TRUE(stamp == before || stamp == after) << "the local date and time: " << stamp;
}

TEST_F(StartUp, OptionBoxesAreIndependent) {
    Start();
    controls.Toggle(CheckBox::Check2);
    EXPECT_TRUE(form->DesktopIconOption());
    EXPECT_FALSE(form->StartMenuOption());
    EXPECT_TRUE(form->ProgramsMenuOption());
    controls.Toggle(CheckBox::Check2);
    EXPECT_TRUE(form->StartMenuOption());

    controls.SetCheckValue(CheckBox::Check3, 2);
    EXPECT_FALSE(form->ProgramsMenuOption()) << "a greyed box is not ticked";
    EXPECT_TRUE(form->DesktopIconOption());
}

TEST_F(StartUp, ListsSetTheDestinationAndTypingMovesNoList) {
    Start();
    const std::string drive = platform::Drives().front();
    controls.Type("typed");
    controls.ChooseDrive(drive);
    EXPECT_EQ(controls.Dir1Path(), drive);
    EXPECT_EQ(controls.Text1Text(), drive);
    EXPECT_EQ(form->InstallFolder(), drive);

    controls.Type("/elsewhere");
    EXPECT_EQ(controls.Dir1Path(), drive);
    EXPECT_EQ(form->InstallFolder(), "/elsewhere");
    controls.Type("");
    EXPECT_EQ(form->InstallFolder(), "");
}

TEST_F(StartUp, CancelEndsWithOnlyTheStartLine) {
    Start();
    EXPECT_TRUE(EndsProgram([this] { form->Command2_Click(); }));
    EXPECT_THAT(LogTexts(LogPath()), ElementsAre("Install Log Initialized"));
}

TEST(FileExists, TellsMissingFromEmptyFromFull) {
    TempFolder folder;
    WriteFile(folder / "empty", "");
    WriteFile(folder / "full", "x");
    EXPECT_EQ(setup::Form1::FileExists(folder / "missing"), -1);
    EXPECT_EQ(setup::Form1::FileExists(""), -1);
    EXPECT_EQ(setup::Form1::FileExists(folder / "*"), -1);
    EXPECT_EQ(setup::Form1::FileExists(folder.Path()), 0);
    EXPECT_EQ(setup::Form1::FileExists(folder.Path() + kSeparator), 0);
    EXPECT_EQ(setup::Form1::FileExists(RootOf(folder.Path())), 0);
    EXPECT_EQ(setup::Form1::FileExists(folder / "empty"), 0);
    EXPECT_EQ(setup::Form1::FileExists(folder / "full"), 1);
    EXPECT_EQ(setup::Form1::FileExists(Joined(folder / "full", "below")), -1);
}

TEST(GetCurrentUserName, IsTheBareLogOnName) {
#ifdef _WIN32
    char name[256] = {};
    DWORD size = sizeof name;
    ASSERT_TRUE(::GetUserNameA(name, &size));
#else
    const struct passwd* entry = ::getpwuid(::geteuid());
    ASSERT_NE(entry, nullptr);
    const char* name = entry->pw_name;
#endif
    EXPECT_EQ(setup::Form1::GetCurrentUserName(), std::string(name));
}

}  // namespace
