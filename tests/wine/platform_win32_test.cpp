// What only the Windows platform layer does: drive letters and their current folders, full
// paths, the system's own user name, time and error codes, the fixed places.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "platform/layout.h"
#include "platform/platform.h"
#include "platform/windows/layout.h"
#include "platform/windows/windows_api.h"
#include "tests/wine/wine_support.h"

using namespace testing_support;
using namespace wine_testing;
using platform::error::kBadFileName;
using platform::error::kDeviceUnavailable;
using platform::error::kFileNotFound;
using platform::error::kPathFileAccessError;
using platform::error::kPathNotFound;
using platform::error::kPermissionDenied;

namespace {

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
    FolderAndPathGuard guard;
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
    FolderAndPathGuard guard;
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

// A 32-bit program on 64-bit Windows is shown the 32-bit system folder in place of the 64-bit
// one, and a java that sits only there must still be found. Run in a 64-bit prefix by
// windows.64bit.*; skipped in the 32-bit one.
TEST(Wow64, StartProgramFindsWhatOnlyThe64BitSystemFolderHolds) {
    BOOL wow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64) {
        GTEST_SKIP() << "not a 32-bit program on 64-bit Windows";
    }
    FolderAndPathGuard guard;
    TempFolder empty;
    SetSearchPath(empty.Path());
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    const std::string name = "velmora-java-" + std::to_string(::GetCurrentProcessId());
    const std::string hidden = platform::Utf8(windows) + "\\Sysnative\\" + name + ".exe";
    ASSERT_TRUE(
        ::CopyFileW(platform::Wide(JavaStandIn()).c_str(), platform::Wide(hidden).c_str(), FALSE));
    EXPECT_FALSE(Exists(platform::Utf8(windows) + "\\System32\\" + name + ".exe"))
        << "the 32-bit view shows another folder";
    EXPECT_GT(platform::StartProgramHidden(name), 0);
    EXPECT_EQ(ErrorNumberOf([] { platform::StartProgramHidden("velmora-nowhere"); }),
              kFileNotFound);
    // The stand-in ends at once; its file can go when it has.
    while (!::DeleteFileW(platform::Wide(hidden).c_str()) &&
           ::GetLastError() == ERROR_ACCESS_DENIED) {
        ::Sleep(20);
    }
}

TEST(UserAndTime, NameAndTimestampComeFromTheSystem) {
    // The name itself: GetCurrentUserName.IsTheBareLogOnName.
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

// A link planted at the log's name must not lead the log, or its truncation, to another file.
TEST(TextFiles, ALinkAtTheNameIsRefusedAndItsTargetKept) {
    using CreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    const auto createLink = reinterpret_cast<CreateLink>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
    TempFolder folder;
    const std::string target = folder / "precious";
    const std::string link = folder / "log";
    WriteFile(target, "someone else's\r\n");
    if (createLink == nullptr || !createLink(link.c_str(), target.c_str(), 0)) {
        GTEST_SKIP() << "this system makes no symbolic links";
    }
    // Wine does not show such a link as a link (it cannot even give its attributes); there only
    // the target's safety can be seen.
    const DWORD attributes = ::GetFileAttributesA(link.c_str());
    const bool shownAsLink =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    for (const auto mode : {platform::OpenFor::Output, platform::OpenFor::Append}) {
        const int number = ErrorNumberOf([&] { platform::PrintLine(link, mode, "x"); });
        if (shownAsLink) {
            EXPECT_EQ(number, kPathFileAccessError);
        }
    }
    EXPECT_EQ(ReadFile(target), "someone else's\r\n");
}

TEST(Layout, WindowsPlacesAreFixedAndMoveUnderATestRoot) {
    // Which layout the programs take, and the places the shell names, are checked where the real
    // Setup.exe installs into them.
    const platform::Layout xp = platform::ProfilesLayout();
    EXPECT_EQ(xp.PlacesOf("bob").programs, "C:\\Documents and Settings\\bob\\Start Menu\\Programs");
    EXPECT_EQ(xp.sharedPlaces.startMenu, "C:\\Documents and Settings\\All Users\\Start Menu");
    EXPECT_FALSE(xp.startMenuNeedsDesktopEntry);
    EXPECT_FALSE(xp.createsMissingTargetFolders);
    EXPECT_FALSE(xp.programsMenuNeedsShortcut);

    const platform::Layout rooted = platform::LayoutRootedIn("D:\\t");
    EXPECT_EQ(rooted.HandoverFile(), "D:\\t\\Velmora_KZ\\Start_up.txt");
    EXPECT_EQ(rooted.PlacesOf("bob").desktop, "D:\\t\\Documents and Settings\\bob\\Desktop");
    EXPECT_EQ(rooted.sharedPlaces.programs,
              "D:\\t\\Documents and Settings\\All Users\\Start Menu\\Programs");
}

// Only a real folder of that name means the 2000/XP layout; Vista and later keep a link there.
TEST(Layout, ProfilesFolderCountsOnlyAsARealFolder) {
    TempFolder drive;
    const std::string profiles = drive / "Documents and Settings";
    EXPECT_FALSE(platform::HasProfilesFolder(drive.Path()));
    WriteFile(profiles, "");
    EXPECT_FALSE(platform::HasProfilesFolder(drive.Path())) << "a file";
    RemoveTree(profiles);
    MakeFolders(profiles);
    EXPECT_TRUE(platform::HasProfilesFolder(drive.Path()));
}

}  // namespace
