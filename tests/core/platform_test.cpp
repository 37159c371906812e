// Built into the tests of both systems; what one system alone has sits in #ifdef blocks here or
// in its own file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_system.h"
#include "platform/platform.h"
#include "tests/support/program_harness.h"

#ifdef _WIN32
#include "platform/windows/windows_api.h"
#else
#include <csignal>
#include "platform/posix/layout.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using ::testing::ElementsAre;
using namespace testing_support;
using platform::error::kFileNotFound;
using platform::error::kPathFileAccessError;
using platform::error::kPathNotFound;
using platform::error::kPermissionDenied;

namespace {

class Copy : public ::testing::Test {
protected:
    Copy() { WriteFile(source, std::string(300000, 's'), 0775); }
    void CopyFile(const std::string& from, const std::string& to) { files.CopyFile(from, to); }
    platform::FileSystem files;
    TempFolder folder;
    std::string source = folder / "source.bin";
};

TEST_F(Copy, ReplacesAnExistingDestinationWholeAndLeavesNoTemporaryFile) {
    CopyFile(source, folder / "copy.bin");
    EXPECT_EQ(ReadFile(folder / "copy.bin"), ReadFile(source));
#ifndef _WIN32
    struct stat info {};
    ::stat((folder / "copy.bin").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0755u) << "the source's mode without others' write";
#endif
    WriteFile(folder / "copy.bin", std::string(900000, 'o'));
    CopyFile(source, folder / "copy.bin");
    EXPECT_EQ(ReadFile(folder / "copy.bin"), ReadFile(source));
    EXPECT_THAT(FolderEntries(folder.Path()), ElementsAre("copy.bin", "source.bin"));
}

// A file has many names; copying it onto itself must not truncate it.
TEST_F(Copy, SameFileUnderAnotherNameIsLeftIntact) {
    MakeFolders(folder / "sub");
    std::vector<std::string> spellings{Joined(folder.Path(), ".", "source.bin"),
                                       Joined(folder.Path(), "sub", "..", "source.bin")};
    std::vector<std::string> entries{"source.bin", "sub"};
#ifdef _WIN32
    std::string upper = source;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    std::string slashes = source;
    std::replace(slashes.begin(), slashes.end(), '\\', '/');
    char shortName[MAX_PATH] = {};
    ::GetShortPathNameA(source.c_str(), shortName, MAX_PATH);
    spellings.insert(spellings.end(), {upper, slashes, shortName});
#else
    ::symlink(folder.Path().c_str(), (folder / "sub/link").c_str());
    ::symlink(source.c_str(), (folder / "file-link").c_str());
    spellings.insert(spellings.end(), {folder / "sub/link/source.bin", folder / "file-link"});
    entries.insert(entries.begin(), "file-link");
#endif
    for (const std::string& spelling : spellings) {
        CopyFile(source, spelling);
        EXPECT_EQ(ReadFile(source), std::string(300000, 's')) << spelling;
    }
    EXPECT_EQ(FolderEntries(folder.Path()), entries);
}

TEST_F(Copy, FailuresNameTheirCauseAndLeaveNoTrace) {
    EXPECT_EQ(ErrorNumberOf([&] { CopyFile(folder / "missing", folder / "copy"); }), kFileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { CopyFile(source, Joined(folder / "missing", "copy")); }),
              kPathNotFound);
    MakeFolders(folder / "a folder");
    EXPECT_EQ(ErrorNumberOf([&] { CopyFile(source, folder / "a folder"); }), kPathFileAccessError);
    EXPECT_EQ(ErrorNumberOf([&] { CopyFile(folder / "a folder", folder / "copy"); }),
              kPathFileAccessError);
    EXPECT_EQ(ErrorNumberOf([&] { CopyFile(source, folder / std::string("a\0b", 3)); }),
              platform::error::kBadFileName);
    EXPECT_THAT(FolderEntries(folder.Path()), ElementsAre("a folder", "source.bin"));
    EXPECT_TRUE(FolderEntries(folder / "a folder").empty());
}

#ifdef _WIN32
// A destination that cannot be replaced keeps its old bytes: the copy goes under another name
// first and only then over it.
TEST_F(Copy, DestinationInUseKeepsItsBytes) {
    const std::string destination = folder / "in use.bin";
    WriteFile(destination, "old bytes");
    const HANDLE held = ::CreateFileA(destination.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ErrorNumberOf([&] { CopyFile(source, destination); }), kPermissionDenied);
    ::CloseHandle(held);
    EXPECT_EQ(ReadFile(destination), "old bytes");
    EXPECT_THAT(FolderEntries(folder.Path()), ElementsAre("in use.bin", "source.bin"));
}
#endif

TEST(Folders, CreateFailsWhenPresentOrOrphanedAndChangeWhenMissing) {
    TempFolder folder;
    platform::CreateFolder(folder / "new");
    EXPECT_EQ(ErrorNumberOf([&] { platform::CreateFolder(folder / "new"); }), kPathFileAccessError);
    EXPECT_EQ(ErrorNumberOf([&] { platform::CreateFolder(Joined(folder / "no", "parent")); }),
              kPathNotFound);
    const std::string deep = Joined(folder / "deep", "er", "still");
    platform::CreateFolderTree(deep);
    platform::CreateFolderTree(deep);
    EXPECT_TRUE(Exists(deep));

    FolderAndPathGuard guard;
    WriteFile(folder / "file", "x");
    EXPECT_EQ(ErrorNumberOf([&] { platform::ChangeFolder(folder / "missing"); }), kPathNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { platform::ChangeFolder(folder / "file"); }), kPathNotFound);
    std::filesystem::current_path(folder.Path());
    platform::ChangeFolder(folder / "new");
    EXPECT_EQ(platform::CurrentFolder(), folder / "new");
}

#ifndef _WIN32
TEST(Folders, ListingShowsNeitherFilesNorHiddenFolders) {
    TempFolder folder;
    MakeFolders(folder / "shown");
    MakeFolders(folder / ".hidden");
    WriteFile(folder / "file", "");
    EXPECT_EQ(platform::SubfolderNames(folder.Path()), std::vector<std::string>{"shown"});
    EXPECT_TRUE(platform::SubfolderNames(folder / "missing").empty());
}
#endif

TEST(Folders, MadeFoldersPassTheLaunchersCheckAndSharedOnesDoNot) {
    TempFolder folder;
    platform::CreateFolder(folder / "made");
    platform::ReplaceFile(Joined(folder / "made", "file.txt"), "x\r\n");
    platform::RequireOnlyOwnerCanWrite(folder / "made");
    platform::RequireOnlyOwnerCanWrite(Joined(folder / "made", "file.txt"));
    EXPECT_EQ(ErrorNumberOf([&] { platform::RequireOnlyOwnerCanWrite(folder / "missing"); }),
              kPathNotFound);

    MakeFolders(folder / "shared");
    OpenToEveryone(folder / "shared");
    try {
        platform::RequireOnlyOwnerCanWrite(folder / "shared");
        ADD_FAILURE() << "a folder everyone may change passed";
    } catch (const platform::RuntimeError& error) {
        EXPECT_EQ(error.Number(), kPermissionDenied);
        EXPECT_EQ(error.Place(), folder / "shared");
        EXPECT_EQ(error.Why(), platform::Reason::OthersCanChange);
    }
}

TEST(TextFiles, OutputTruncatesAppendKeepsAndAFolderIsNoFile) {
    TempFolder folder;
    const std::string file = folder / "log";
    platform::PrintLine(file, platform::OpenFor::Append, "one");
    platform::PrintLine(file, platform::OpenFor::Append, "two");
    EXPECT_EQ(ReadFile(file), "one\r\ntwo\r\n");
    platform::PrintLine(file, platform::OpenFor::Output, "three");
    EXPECT_EQ(ReadFile(file), "three\r\n");
    EXPECT_EQ(platform::ReadPrefix(file, 3), "thr");
    EXPECT_EQ(platform::ReadPrefix(file, 100), "three\r\n");
    EXPECT_EQ(
        ErrorNumberOf([&] { platform::PrintLine(folder.Path(), platform::OpenFor::Append, "x"); }),
        kPathFileAccessError);
    EXPECT_EQ(ErrorNumberOf([&] { platform::ReadPrefix(folder / "missing", 1); }), kFileNotFound);
}

TEST(FileLength, FoldersAndRootsAreZeroLong) {
    TempFolder folder;
    WriteFile(folder / "five", "12345");
    EXPECT_EQ(platform::FileLength(folder / "five"), 5);
    EXPECT_EQ(platform::FileLength(folder.Path()), 0);
    EXPECT_EQ(platform::FileLength(RootOf(folder.Path())), 0);
    EXPECT_EQ(ErrorNumberOf([&] { platform::FileLength(folder / "missing"); }), kFileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { platform::FileLength(Joined(folder / "missing", "below")); }),
              kPathNotFound);
}

// Programs really started, found as the system's search finds them.
class StartProgram : public ::testing::Test {
protected:
    StartProgram() {
        MakeFolders(folder / "java-bin");
        PlaceJavaStandIn(folder / "java-bin");
        SetSearchPath(folder / "java-bin");
    }
    FolderAndPathGuard guard;
    TempFolder folder;
};

TEST_F(StartProgram, FindsABareNameOnTheSearchPathAndReturnsItsId) {
    EXPECT_GT(platform::StartProgramHidden("java"), 0);
    EXPECT_EQ(ErrorNumberOf([] { platform::StartProgramHidden("no-such-program"); }),
              kFileNotFound);
    SetSearchPath(folder / "missing");
    EXPECT_EQ(ErrorNumberOf([] { platform::StartProgramHidden("java"); }), kFileNotFound);
}

TEST_F(StartProgram, CurrentFolderComesBeforeTheSearchPath) {
    MakeFolders(folder / "here");
    PlaceFolderRecorder(folder / "here", "java");
    std::filesystem::current_path(folder / "here");
    ASSERT_GT(platform::StartProgramHidden("java"), 0);
    EXPECT_EQ(RecordedFolder(folder / "here"), folder / "here");
}

#ifndef _WIN32
bool IsRunning(pid_t pid) {
    return ::kill(pid, 0) == 0;
}

// A zombie still answers kill(pid, 0); only a reaped process is gone.
bool EndsAndIsReaped(pid_t pid) {
    for (int i = 0; i < 500 && IsRunning(pid); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return !IsRunning(pid);
}

TEST_F(StartProgram, LeavesNoZombieAndPassesOverFilesThatCannotRun) {
    WriteFile(folder / "java-bin/sleeper", "#!/bin/sh\nexec sleep 30\n", 0755);

    const auto pid = platform::StartProgramHidden("sleeper");
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(IsRunning(static_cast<pid_t>(pid)));
    EXPECT_EQ(::getsid(static_cast<pid_t>(pid)), pid) << "a session of its own";
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    EXPECT_TRUE(EndsAndIsReaped(static_cast<pid_t>(pid)));

    WriteFile(folder / "java-bin/not-executable", "", 0644);
    EXPECT_EQ(ErrorNumberOf([] { platform::StartProgramHidden("not-executable"); }), kFileNotFound);
}

// A name that does not fit the buffer with its terminator is the system's "result too large".
TEST(UserName, LongerThanTheBufferFailsWithTheSystemsCode) {
    try {
        platform::LogonUserName(1);
        ADD_FAILURE() << "a name cannot fit one character with its terminator";
    } catch (const platform::SystemCallFailed& failure) {
        EXPECT_EQ(failure.code, static_cast<std::uint32_t>(ERANGE));
    }
}

// Volumes stand in for drives; the Windows build has drive letters.
TEST(Drives, CurrentFolderOfADrive) {
    FolderAndPathGuard guard;
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

#endif

}  // namespace
