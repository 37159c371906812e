// Built into the tests of both systems.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "setup/core/queries.h"
#include "tests/support/installer_fixture.h"

#ifdef _WIN32
#include "platform/windows/windows_api.h"
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
    EXPECT_THAT(services.Messages(), ::testing::IsEmpty());
    ASSERT_EQ(services.Started().size(), 1u);
    EXPECT_EQ(services.Started()[0].name, "java") << "probed by its bare name";
}

TEST_F(StartUp, WithoutJavaExplainsLogsAndEnds) {
    services.MakeMissing("java");
    EXPECT_EQ(EndStatusOf([this] { Start(); }), platform::ExitStatus::JavaMissing);

    EXPECT_THAT(LogTexts(LogPath()), ElementsAre("Install Log Initialized", "Java Not Installed"));
    EXPECT_THAT(services.Shown(),
                ElementsAre("Finished|Velmora_KZ 2.0.1 Needs Java Version 1.4.2 or Higher To "
                            "Execute\r\nDownload from www.java.com"));
}

TEST_F(StartUp, LogThatCannotBeWrittenIsAnUnhandledError) {
    MakeFolders(LogPath());
    EXPECT_EQ(ErrorNumberOf([this] { Start(); }), platform::error::kPathFileAccessError);
    EXPECT_THAT(services.Messages(), ::testing::IsEmpty());
    EXPECT_THAT(services.Started(), ::testing::IsEmpty()) << "nothing runs after the first line";
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
    EXPECT_EQ(EndStatusOf([this] { form->Command2_Click(); }), platform::ExitStatus::Cancelled);
    EXPECT_THAT(LogTexts(LogPath()), ElementsAre("Install Log Initialized"));
}

TEST(FileExists, TellsMissingFromEmptyFromFull) {
    using enum setup::FileExistsResult;
    TempFolder folder;
    platform::SystemFileSystem files;
    WriteFile(folder / "empty", "");
    WriteFile(folder / "full", "x");
    const std::pair<std::string, setup::FileExistsResult> rows[] = {
        {folder / "missing", NotThere}, {"", NotThere},
        {folder / "*", NotThere},       {Joined(folder / "full", "below"), NotThere},
        {folder.Path(), Empty},         {folder.Path() + kSeparator, Empty},
        {RootOf(folder.Path()), Empty}, {folder / "empty", Empty},
        {folder / "full", HasContent},
    };
    for (const auto& [path, result] : rows) {
        EXPECT_EQ(setup::FileExists(files, path), result) << path;
    }
    EXPECT_EQ(static_cast<int>(NotThere), -1) << "the callers' -1";
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
    RecordingServices services;
    EXPECT_EQ(setup::GetCurrentUserName(services), std::string(name));
    services.FailUserName(5);
    try {
        setup::GetCurrentUserName(services);
        ADD_FAILURE() << "a failed query must raise";
    } catch (const platform::RuntimeError& error) {
        EXPECT_EQ(error.Number(), 5);
        EXPECT_EQ(error.Description(), "A system call returned an error code of 5");
    }
}

}  // namespace
