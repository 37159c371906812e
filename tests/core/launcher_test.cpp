// Built into the tests of both systems.
#include <gtest/gtest.h>

#include <cctype>

#include "launcher/core/launcher_form.h"
#include "platform/platform.h"
#include "tests/support/launcher_fixture.h"

#ifdef _WIN32
#include "tests/wine/wine_support.h"
#endif

using namespace testing_support;

namespace {

class Launcher : public LauncherTest {
protected:
    int RunLauncher() const {
        return ErrorNumberOf([this] { launcher::Form1(layout).Form_Load(); });
    }
};

// The user's own install comes first; without one, the install for everyone is started.
TEST_F(Launcher, FollowsTheUsersOwnInstallElseTheOneForEveryone) {
    WriteFile(layout.HandoverFileIn(layout.sharedApplicationFolder), sharedInstall + "\r\n");
    ASSERT_EQ(RunLauncher(), 0);
    EXPECT_EQ(RecordedFolder(sharedInstall), sharedInstall);
    Record(installed + "\r\n" + sharedInstall + "\r\n");
    ASSERT_EQ(RunLauncher(), 0);
    EXPECT_EQ(RecordedFolder(installed), installed) << "the folder of the first line";
}

TEST_F(Launcher, ReportsWhatItCannotFollow) {
    EXPECT_EQ(RunLauncher(), platform::error::kFileNotFound) << "no hand-over file";
    Record("");
    EXPECT_EQ(RunLauncher(), platform::error::kInputPastEndOfFile) << "empty hand-over file";
    Record(root / "missing" + "\r\n");
    EXPECT_EQ(RunLauncher(), platform::error::kPathNotFound) << "missing folder";
    Record(root.Path() + "\r\n");
    EXPECT_EQ(RunLauncher(), platform::error::kFileNotFound) << "no application there";
}

#ifdef _WIN32
// The folder change to another drive sets only that drive's folder: the search looks in the
// application folder, which stays current, and does not find the application.
TEST_F(Launcher, InstallFolderOnAnotherDriveIsNotEntered) {
    const std::string own = wine_testing::OwnFolder();
    if (::toupper(own[0]) == ::toupper(root.Path()[0])) {
        GTEST_SKIP() << "needs a folder on another drive than the temporary one";
    }
    const TempFolder other(own);
    MakeFolders(other / "installed");
    PlaceFolderRecorder(other / "installed", launcher::kApplicationProgram);
    Record(other / "installed" + "\r\n");
    EXPECT_EQ(RunLauncher(), platform::error::kFileNotFound);
    EXPECT_EQ(platform::CurrentFolder(), layout.applicationFolder);
    EXPECT_EQ(platform::CurrentFolderOfDrive(own.substr(0, 2)), other / "installed");
    EXPECT_FALSE(Exists(other / "installed\\Velmora_KZ.started"));
}
#endif

}  // namespace
