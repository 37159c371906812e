#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/platform.h"
#include "tests/support/installer_fixture.h"

using ::testing::ElementsAre;
using namespace testing_support;
using setup::CheckBox;

namespace {

using StartUp = InstallerTest;

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
    controls.Type("typed");
    controls.ChooseDrive("/");
    EXPECT_EQ(controls.Dir1Path(), "/");
    EXPECT_EQ(controls.Text1Text(), "/");
    EXPECT_EQ(form->InstallFolder(), "/");

    controls.Type("/elsewhere");
    EXPECT_EQ(controls.Dir1Path(), "/");
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
    EXPECT_EQ(setup::Form1::FileExists(folder.Path()), 0);
    EXPECT_EQ(setup::Form1::FileExists(folder / "empty"), 0);
    EXPECT_EQ(setup::Form1::FileExists(folder / "full"), 1);
    EXPECT_EQ(setup::Form1::FileExists(folder / "full/below"), -1);
}

// A user without a name: only root can become one, in a child so the tests keep their user.
TEST(GetCurrentUserName, UnknownUserRaisesTheSystemCallError) {
    EXPECT_EQ(setup::Form1::GetCurrentUserName().find('\0'), std::string::npos);
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to switch to a user id without a name";
    }
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        std::string outcome = "no error";
        if (::setresuid(54321, 54321, 54321) == 0) {
            try {
                setup::Form1::GetCurrentUserName();
            } catch (const platform::RuntimeError& error) {
                outcome = std::to_string(error.Number()) + "|" + error.Description();
            }
        }
        (void)!::write(report[1], outcome.data(), outcome.size());
        ::_exit(0);
    }
    ::close(report[1]);
    char buffer[256] = {};
    const auto got = ::read(report[0], buffer, sizeof buffer - 1);
    ::close(report[0]);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0),
              "2|A system call returned an error code of 2");
}

}  // namespace
