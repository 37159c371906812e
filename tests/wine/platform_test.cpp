#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>

#include "platform/layout.h"
#include "platform/platform.h"
#include "platform/win32/windows_api.h"
#include "tests/wine/wine_support.h"

using ::testing::ElementsAre;
using namespace testing_support;
using namespace wine_testing;
using platform::error::kBadFileName;
using platform::error::kDeviceUnavailable;
using platform::error::kFileNotFound;
using platform::error::kPathFileAccessError;
using platform::error::kPathNotFound;
using platform::error::kPermissionDenied;

namespace {

class Copy : public ::testing::Test {
protected:
    Copy() { WriteFile(source, std::string(300000, 's')); }
    TempFolder folder;
    std::string source = folder / "source.bin";
};

TEST_F(Copy, ReplacesAnExistingDestinationWholeAndLeavesNoTemporaryFile) {
    platform::CopyFile(source, folder / "copy.bin");
    EXPECT_EQ(ReadFile(folder / "copy.bin"), ReadFile(source));
    WriteFile(folder / "copy.bin", std::string(900000, 'o'));
    platform::CopyFile(source, folder / "copy.bin");
    EXPECT_EQ(ReadFile(folder / "copy.bin"), ReadFile(source));
    EXPECT_THAT(FolderEntries(folder.Path()), ElementsAre("copy.bin", "source.bin"));
}

// Windows names one file in many ways; copying a file onto itself must not truncate it.
TEST_F(Copy, SameFileUnderAnotherSpellingIsLeftIntact) {
    MakeFolders(folder / "sub");
    std::string upper = source;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    std::string slashes = source;
    std::replace(slashes.begin(), slashes.end(), '\\', '/');
    char shortName[MAX_PATH] = {};
    ::GetShortPathNameA(source.c_str(), shortName, MAX_PATH);
    for (const std::string& spelling : {folder / ".\\source.bin", folder / "sub\\..\\source.bin",
                                        upper, slashes, std::string(shortName)}) {
        platform::CopyFile(source, spelling);
        EXPECT_EQ(ReadFile(source), std::string(300000, 's')) << spelling;
    }
    EXPECT_THAT(FolderEntries(folder.Path()), ElementsAre("source.bin", "sub"));
}

TEST_F(Copy, FailuresNameTheirCauseAndLeaveNoTrace) {
    EXPECT_EQ(ErrorNumberOf([&] { platform::CopyFile(folder / "missing", folder / "copy"); }),
              kFileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { platform::CopyFile(source, folder / "missing\\copy"); }),
              kPathNotFound);
    MakeFolders(folder / "a folder");
    EXPECT_EQ(ErrorNumberOf([&] { platform::CopyFile(source, folder / "a folder"); }),
              kPathFileAccessError);
    EXPECT_EQ(ErrorNumberOf([&] { platform::CopyFile(folder / "a folder", folder / "copy"); }),
              kPathFileAccessError);
    EXPECT_EQ(ErrorNumberOf([&] { platform::CopyFile(source, folder / std::string("a\0b", 3)); }),
              kBadFileName);
    EXPECT_THAT(FolderEntries(folder.Path()), ElementsAre("a folder", "source.bin"));
    EXPECT_TRUE(FolderEntries(folder / "a folder").empty());
}

// A destination that cannot be replaced keeps its old bytes: the copy goes under another name
// first and only then over it.
TEST_F(Copy, DestinationInUseKeepsItsBytes) {
    const std::string destination = folder / "in use.bin";
    WriteFile(destination, "old bytes");
    const HANDLE held = ::CreateFileA(destination.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ErrorNumberOf([&] { platform::CopyFile(source, destination); }), kPermissionDenied);
    ::CloseHandle(held);
    EXPECT_EQ(ReadFile(destination), "old bytes");
    EXPECT_THAT(FolderEntries(folder.Path()), ElementsAre("in use.bin", "source.bin"));
}

TEST(Folders, CreateFailsWhenPresentOrOrphanedAndChangeWhenMissing) {
    TempFolder folder;
    platform::CreateFolder(folder / "new");
    EXPECT_EQ(ErrorNumberOf([&] { platform::CreateFolder(folder / "new"); }), kPathFileAccessError);
    EXPECT_EQ(ErrorNumberOf([&] { platform::CreateFolder(folder / "no\\parent"); }), kPathNotFound);
    platform::CreateFolderTree(folder / "deep\\er\\still");
    platform::CreateFolderTree(folder / "deep\\er\\still");
    EXPECT_TRUE(Exists(folder / "deep\\er\\still"));

    ProgramHarness harness;
    WriteFile(folder / "file", "x");
    EXPECT_EQ(ErrorNumberOf([&] { platform::ChangeFolder(folder / "missing"); }), kPathNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { platform::ChangeFolder(folder / "file"); }), kPathNotFound);
    StartIn(folder.Path());
    platform::ChangeFolder(folder / "new");
    EXPECT_EQ(platform::CurrentFolder(), folder / "new");
}

TEST(Folders, MadeFoldersPassTheLaunchersCheckAndSharedOnesDoNot) {
    TempFolder folder;
    platform::CreateFolder(folder / "made");
    platform::ReplaceFile(folder / "made\\file.txt", "x\r\n");
    platform::RequireOnlyOwnerCanWrite(folder / "made");
    platform::RequireOnlyOwnerCanWrite(folder / "made\\file.txt");
    EXPECT_EQ(ErrorNumberOf([&] { platform::RequireOnlyOwnerCanWrite(folder / "missing"); }),
              kPathNotFound);

    // Everyone may change what lies here.
    MakeFolders(folder / "shared");
    SECURITY_DESCRIPTOR open{};
    ::InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE);
    ASSERT_TRUE(::SetFileSecurityA((folder / "shared").c_str(), DACL_SECURITY_INFORMATION, &open));
    try {
        platform::RequireOnlyOwnerCanWrite(folder / "shared");
        ADD_FAILURE() << "a folder everyone may change passed";
    } catch (const platform::RuntimeError& error) {
        EXPECT_EQ(error.Number(), kPermissionDenied);
        EXPECT_EQ(error.Description(),
                  "Permission denied: " + folder / "shared" + " can be changed by another user");
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
    EXPECT_EQ(platform::FileLength(folder.Path().substr(0, 3)), 0) << "the drive's root";
    EXPECT_EQ(ErrorNumberOf([&] { platform::FileLength(folder / "missing"); }), kFileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { platform::FileLength(folder / "missing\\below"); }),
              kPathNotFound);
}

TEST(Paths, FullPathsNameADriveOrAShare) {
    EXPECT_TRUE(platform::IsFullPath("C:\\Velmora_KZ"));
    EXPECT_TRUE(platform::IsFullPath("d:/apps"));
    EXPECT_TRUE(platform::IsFullPath("\\\\server\\share\\apps"));
    EXPECT_FALSE(platform::IsFullPath("C:apps")) << "relative to the drive's current folder";
    EXPECT_FALSE(platform::IsFullPath("\\apps")) << "relative to the current drive";
    EXPECT_FALSE(platform::IsFullPath("apps"));
    EXPECT_FALSE(platform::IsFullPath(""));
    EXPECT_EQ(platform::MaxPathLength(), 259u);
}

class StartProgram : public ::testing::Test {
protected:
    ProgramHarness harness;
    TempFolder folder;
};

TEST_F(StartProgram, FindsABareNameOnTheSearchPathAndReturnsItsId) {
    harness.ProvideJava(folder);
    const auto id = platform::StartProgramHidden("java");
    EXPECT_GT(id, 0);
    EXPECT_EQ(ErrorNumberOf([] { platform::StartProgramHidden("no-such-program"); }),
              kFileNotFound);
    harness.HideJava(folder);
    EXPECT_EQ(ErrorNumberOf([] { platform::StartProgramHidden("java"); }), kFileNotFound);
}

TEST_F(StartProgram, CurrentFolderComesBeforeTheSearchPath) {
    harness.ProvideJava(folder);
    MakeFolders(folder / "here");
    ASSERT_TRUE(
        ::CopyFileA(ApplicationStandIn().c_str(), (folder / "here\\java.exe").c_str(), FALSE));
    StartIn(folder / "here");
    ASSERT_GT(platform::StartProgramHidden("java"), 0);
    EXPECT_EQ(WaitForFile(folder / "here\\Velmora_KZ.started"), folder / "here" + "\r\n");
}

// The drive letter of another drive than the one the temporary folders are on, if any.
std::string OtherDrive(const std::string& than) {
    for (const auto& drive : platform::Drives()) {
        if (::toupper(drive[0]) != ::toupper(than[0]) &&
            ::GetDriveTypeA((drive + "\\").c_str()) == DRIVE_FIXED) {
            return drive;
        }
    }
    return {};
}

TEST(Drives, AreLettersOpeningAtTheirCurrentFolder) {
    ProgramHarness harness;
    TempFolder folder;
    StartIn(folder.Path());
    const auto drives = platform::Drives();
    ASSERT_FALSE(drives.empty());
    for (const auto& drive : drives) {
        EXPECT_TRUE(drive.size() == 2 && std::isupper(static_cast<unsigned char>(drive[0])) &&
                    drive[1] == ':')
            << drive;
    }
    const std::string current = folder.Path().substr(0, 2);
    EXPECT_THAT(drives, ::testing::Contains(current));
    EXPECT_EQ(platform::CurrentFolderOfDrive(current), folder.Path());
    EXPECT_EQ(platform::CurrentFolderOfDrive(current + "\\"), folder.Path());

    std::string unused;
    for (char letter = 'Z'; letter >= 'D' && unused.empty(); --letter) {
        if (std::find(drives.begin(), drives.end(), std::string{letter, ':'}) == drives.end()) {
            unused = std::string{letter, ':'};
        }
    }
    ASSERT_FALSE(unused.empty());
    EXPECT_EQ(ErrorNumberOf([&] { platform::CurrentFolderOfDrive(unused); }), kDeviceUnavailable);
}

// Changing to a folder on another drive sets that drive's current folder only, as ChDir does.
TEST(Drives, ChangingToAnotherDriveKeepsTheCurrentDrive) {
    ProgramHarness harness;
    TempFolder folder;
    StartIn(folder.Path());
    const std::string other = OtherDrive(folder.Path());
    if (other.empty()) {
        GTEST_SKIP() << "only one fixed drive";
    }
    platform::ChangeFolder(other + "\\");
    EXPECT_EQ(platform::CurrentFolder(), folder.Path());
    EXPECT_EQ(platform::CurrentFolderOfDrive(other), other + "\\");
    const std::string below = OwnFolder();
    if (::toupper(below[0]) == ::toupper(other[0])) {
        platform::ChangeFolder(below);
        EXPECT_EQ(platform::CurrentFolder(), folder.Path());
        EXPECT_EQ(platform::CurrentFolderOfDrive(other), below);
    }
}

TEST(UserAndTime, NameAndTimestampComeFromTheSystem) {
    char name[256] = {};
    DWORD size = sizeof name;
    ASSERT_TRUE(::GetUserNameA(name, &size));
    EXPECT_EQ(platform::LogonUserName(255), name);
    try {
        platform::LogonUserName(1);
        ADD_FAILURE() << "a name cannot fit one character with its terminator";
    } catch (const platform::SystemCallFailed& failure) {
        EXPECT_EQ(failure.code, static_cast<std::uint32_t>(ERROR_INSUFFICIENT_BUFFER));
    }

    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::string stamp = platform::LocalDateTimeText();
        char date[100] = {};
        char time[100] = {};
        ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 100);
        ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, 100);
        if (stamp == std::string(date) + " " + time) {
            return;
        }
    }
    ADD_FAILURE() << "the short date, a blank and the time: " << platform::LocalDateTimeText();
}

TEST(SystemErrors, ReachTheUserAsTheRuntimesNumbers) {
    const std::pair<DWORD, int> cases[] = {
        {ERROR_FILE_NOT_FOUND, kFileNotFound},
        {ERROR_PATH_NOT_FOUND, kPathNotFound},
        {ERROR_ACCESS_DENIED, kPermissionDenied},
        {ERROR_SHARING_VIOLATION, kPermissionDenied},
        {ERROR_DISK_FULL, platform::error::kDiskFull},
        {ERROR_NOT_READY, kDeviceUnavailable},
        {ERROR_INVALID_DRIVE, kDeviceUnavailable},
        {ERROR_FILENAME_EXCED_RANGE, kBadFileName},
        {ERROR_INVALID_NAME, platform::error::kBadFileNameOrNumber},
        {ERROR_GEN_FAILURE, kDeviceUnavailable},
        {ERROR_NOT_ENOUGH_MEMORY, kPathFileAccessError},
    };
    for (const auto& [code, number] : cases) {
        EXPECT_EQ(ErrorNumberOf([code] { platform::RaiseForSystemError(static_cast<int>(code)); }),
                  number)
            << "system error " << code;
    }
}

TEST(Layout, WindowsPlacesAreFixedAndMoveUnderATestRoot) {
    const platform::Layout native = platform::NativeLayout();
    EXPECT_EQ(native.HandoverFile(), "C:\\Velmora_KZ\\Start_up.txt");
    EXPECT_EQ(native.PlacesOf("bob").programs,
              "C:\\Documents and Settings\\bob\\Start Menu\\Programs");
    EXPECT_EQ(native.PlacesOf("bob").profile, "C:\\Documents and Settings\\bob");
    EXPECT_EQ(native.sharedPlaces.startMenu, "C:\\Documents and Settings\\All Users\\Start Menu");
    EXPECT_FALSE(native.startMenuNeedsDesktopEntry);
    EXPECT_FALSE(native.createsMissingTargetFolders);

    const platform::Layout rooted = platform::LayoutRootedIn("D:\\t");
    EXPECT_EQ(rooted.HandoverFile(), "D:\\t\\Velmora_KZ\\Start_up.txt");
    EXPECT_EQ(rooted.PlacesOf("bob").desktop, "D:\\t\\Documents and Settings\\bob\\Desktop");
    EXPECT_EQ(rooted.sharedPlaces.programs,
              "D:\\t\\Documents and Settings\\All Users\\Start Menu\\Programs");
}

}  // namespace
