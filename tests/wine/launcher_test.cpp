#include <gtest/gtest.h>

#include "launcher/core/launcher_form.h"
#include "platform/layout.h"
#include "platform/platform.h"
#include "platform/win32/windows_api.h"
#include "tests/wine/wine_support.h"

using namespace testing_support;
using namespace wine_testing;

namespace {

class Launcher : public ::testing::Test {
protected:
    Launcher() : layout(platform::LayoutRootedIn(root.Path())), installed(root / "installed") {
        platform::CreateFolder(layout.applicationFolder);
        PlaceApplication(installed);
        // Started as from the desktop: on the drive of the application folder. Nothing is found
        // on the search path.
        StartIn(root.Path());
        harness.HideJava(root);
    }

    static void PlaceApplication(const std::string& folder) {
        platform::CreateFolder(folder);
        if (!::CopyFileA(ApplicationStandIn().c_str(), (folder + "\\Velmora_KZ.exe").c_str(),
                         FALSE)) {
            throw std::runtime_error("no application stand-in at " + ApplicationStandIn());
        }
    }

    void Record(const std::string& contents) const {
        platform::ReplaceFile(layout.HandoverFile(), contents);
    }

    int RunLauncher() const {
        return ErrorNumberOf([this] { launcher::Form1(layout).Form_Load(); });
    }

    TempFolder root;
    ProgramHarness harness;
    platform::Layout layout;
    std::string installed;
};

TEST_F(Launcher, StartsTheApplicationInTheFolderOfTheFirstLine) {
    Record(installed + "\r\n" + root / "elsewhere" + "\r\n");
    ASSERT_EQ(RunLauncher(), 0);
    EXPECT_EQ(WaitForFile(installed + "\\Velmora_KZ.started"), installed + "\r\n");
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

// The folder change to another drive sets only that drive's folder: the search looks in the
// application folder, which stays current, and does not find the application.
TEST_F(Launcher, InstallFolderOnAnotherDriveIsNotEntered) {
    const std::string own = OwnFolder();
    if (::toupper(own[0]) == ::toupper(root.Path()[0])) {
        GTEST_SKIP() << "needs a folder on another drive than the temporary one";
    }
    const TempFolder other(own);
    PlaceApplication(other / "installed");
    Record(other / "installed" + "\r\n");
    EXPECT_EQ(RunLauncher(), platform::error::kFileNotFound);
    EXPECT_EQ(platform::CurrentFolder(), layout.applicationFolder);
    EXPECT_EQ(platform::CurrentFolderOfDrive(own.substr(0, 2)), other / "installed");
    EXPECT_FALSE(Exists(other / "installed\\Velmora_KZ.started"));
}

}  // namespace
