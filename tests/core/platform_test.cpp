#include <gtest/gtest.h>

#include <cerrno>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/layout_posix.h"
#include "platform/platform.h"
#include "tests/support/program_harness.h"

using namespace testing_support;

namespace {

class Copy : public ::testing::Test {
protected:
    Copy() { WriteFile(source, std::string(300000, 's'), 0775); }
    TempFolder folder;
    std::string source = folder / "source.bin";
};

TEST_F(Copy, CopiesBytesAndModeWithoutOthersWrite) {
    platform::CopyFile(source, folder / "copy.bin");
    EXPECT_EQ(ReadFile(folder / "copy.bin"), ReadFile(source));
    struct stat info {};
    ::stat((folder / "copy.bin").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
}

TEST_F(Copy, ReplacesAnExistingDestinationWhole) {
    WriteFile(folder / "copy.bin", std::string(900000, 'o'));
    platform::CopyFile(source, folder / "copy.bin");
    EXPECT_EQ(ReadFile(folder / "copy.bin"), ReadFile(source));
}

TEST_F(Copy, SameFileUnderAnotherNameIsLeftIntact) {
    MakeFolders(folder / "sub");
    ::symlink(folder.Path().c_str(), (folder / "sub/link").c_str());
    ::symlink(source.c_str(), (folder / "file-link").c_str());
    for (const std::string& spelling : {folder / "./source.bin", folder / "sub/../source.bin",
                                        folder / "sub/link/source.bin", folder / "file-link"}) {
        platform::CopyFile(source, spelling);
        EXPECT_EQ(ReadFile(source), std::string(300000, 's')) << spelling;
    }
    EXPECT_EQ(FolderEntries(folder.Path()),
              (std::vector<std::string>{"file-link", "source.bin", "sub"}));
}

TEST_F(Copy, FailuresNameTheirCauseAndLeaveNoTrace) {
    EXPECT_EQ(ErrorNumberOf([&] { platform::CopyFile(folder / "missing", folder / "copy"); }),
              platform::error::kFileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { platform::CopyFile(source, folder / "missing/copy"); }),
              platform::error::kPathNotFound);
    MakeFolders(folder / "a folder");
    EXPECT_EQ(ErrorNumberOf([&] { platform::CopyFile(source, folder / "a folder"); }),
              platform::error::kPathFileAccessError);
    EXPECT_EQ(FolderEntries(folder.Path()), (std::vector<std::string>{"a folder", "source.bin"}));
    EXPECT_TRUE(FolderEntries(folder / "a folder").empty());
}

TEST(Folders, CreateFailsWhenPresentOrOrphaned) {
    TempFolder folder;
    platform::CreateFolder(folder / "new");
    EXPECT_EQ(ErrorNumberOf([&] { platform::CreateFolder(folder / "new"); }),
              platform::error::kPathFileAccessError);
    EXPECT_EQ(ErrorNumberOf([&] { platform::CreateFolder(folder / "no/parent"); }),
              platform::error::kPathNotFound);
    platform::CreateFolderTree(folder / "deep/er/still");
    platform::CreateFolderTree(folder / "deep/er/still");
    EXPECT_TRUE(Exists(folder / "deep/er/still"));
    EXPECT_EQ(ErrorNumberOf([&] { platform::ChangeFolder(folder / "missing"); }),
              platform::error::kPathNotFound);
}

TEST(TextFiles, OutputTruncatesAppendKeeps) {
    TempFolder folder;
    const std::string file = folder / "log";
    platform::PrintLine(file, platform::OpenFor::Append, "one");
    platform::PrintLine(file, platform::OpenFor::Append, "two");
    EXPECT_EQ(ReadFile(file), "one\r\ntwo\r\n");
    platform::PrintLine(file, platform::OpenFor::Output, "three");
    EXPECT_EQ(ReadFile(file), "three\r\n");
    EXPECT_EQ(platform::ReadPrefix(file, 3), "thr");
}

bool IsRunning(pid_t pid) {
    return ::kill(pid, 0) == 0;
}

TEST(StartProgram, FindsTheProgramOnTheSearchPathAndLeavesNoChild) {
    ProgramHarness harness;
    TempFolder folder;
    harness.ProvideJava(folder);
    WriteFile(folder / "java-bin/sleeper", "#!/bin/sh\nexec sleep 30\n", 0755);

    const auto pid = platform::StartProgramHidden("sleeper");
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(IsRunning(static_cast<pid_t>(pid)));
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "the program is not our child";
    EXPECT_EQ(errno, ECHILD);
    ::kill(static_cast<pid_t>(pid), SIGKILL);

    EXPECT_GT(platform::StartProgramHidden("java"), 0);
    EXPECT_EQ(ErrorNumberOf([] { platform::StartProgramHidden("no-such-program"); }),
              platform::error::kFileNotFound);
    WriteFile(folder / "java-bin/not-executable", "", 0644);
    EXPECT_EQ(ErrorNumberOf([] { platform::StartProgramHidden("not-executable"); }),
              platform::error::kFileNotFound);
}

TEST(StartProgram, CurrentFolderComesBeforeTheSearchPath) {
    ProgramHarness harness;
    TempFolder folder;
    harness.ProvideJava(folder);
    MakeFolders(folder / "here");
    WriteFile(folder / "here/java", "#!/bin/sh\n/usr/bin/touch ran-here\n", 0755);
    platform::ChangeFolder(folder / "here");
    ASSERT_GT(platform::StartProgramHidden("java"), 0);
    WaitForFile(folder / "here/ran-here");
    EXPECT_TRUE(Exists(folder / "here/ran-here"));
}

TEST(Drives, CurrentFolderOfADrive) {
    ProgramHarness harness;
    TempFolder folder;
    platform::ChangeFolder(folder.Path());
    const auto drives = platform::Drives();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.front(), "/");
    int onCurrent = 0;
    for (const auto& drive : drives) {
        const std::string current = platform::CurrentFolderOfDrive(drive);
        EXPECT_TRUE(current == drive || current == folder.Path()) << drive;
        onCurrent += current == folder.Path() ? 1 : 0;
    }
    EXPECT_GE(onCurrent, 1) << "the drive holding the current folder opens there";
    EXPECT_EQ(ErrorNumberOf([&] { platform::CurrentFolderOfDrive(folder / "gone"); }),
              platform::error::kDeviceUnavailable);
}

// The desktop folder a user's .config/user-dirs.dirs names, as the shell that reads it would.
TEST(UserDirs, NameTheDesktopFolderOrLeaveTheDefault) {
    const struct {
        const char* text;
        const char* desktop;
    } cases[] = {
        {"", "/h/Desktop"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", "/h/Desktop"},
        {"# written by hand\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n", "/h/Schreibtisch"},
        {"  XDG_DESKTOP_DIR = \"$HOME/a b\"", "/h/a b"},
        {"XDG_DESKTOP_DIR=\"$HOME/\"\n", "/h"},
        {"XDG_DESKTOP_DIR=\"$HOME\"\n", "/h"},
        {"XDG_DESKTOP_DIR=\"/srv/desk/\"\n", "/srv/desk"},
        {"XDG_DESKTOP_DIR=\"/d\"\n", "/d"},
        {"XDG_DESKTOP_DIR=\"\"\n", "/h/Desktop"},
        {"XDG_DESKTOP_DIR=\"$HOME/say \\\"hi\\\" \\$x\"\n", "/h/say \"hi\" $x"},
        {"XDG_DESKTOP_DIR=\"/first\"\nXDG_DESKTOP_DIR=\"/second\"\n", "/second"},
        {"XDG_DESKTOP_DIR=\"/first\"\nXDG_DESKTOP_DIR=\"Desk\"\n", "/h/Desktop"},
        {"XDG_DESKTOP_DIR=\"$HOMEWORK/x\"\n", "/h/Desktop"},
        {"XDG_DESKTOP_DIR=$HOME/Bare\n", "/h/Desktop"},
        {"XDG_DESKTOP_DIR=\"$HOME/Unclosed\n", "/h/Desktop"},
        {"XDG_DESKTOP_DIRS=\"/other\"\n", "/h/Desktop"},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(platform::DesktopFolderFrom(row.text, "/h"), row.desktop) << row.text;
    }
}

}  // namespace
