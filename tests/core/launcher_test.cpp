#include <gtest/gtest.h>

#include <filesystem>

#include "launcher/core/launcher_form.h"
#include "platform/layout.h"
#include "platform/platform.h"
#include "tests/support/program_harness.h"

using namespace testing_support;

namespace {

class Launcher : public ::testing::Test {
protected:
    Launcher() : layout(platform::LayoutRootedIn(root.Path())), installed(root / "installed") {
        // Owner-only, as the installer makes them, whatever the umask of the test run.
        for (const auto& folder :
             {layout.applicationFolder, layout.sharedApplicationFolder, installed, sharedInstall}) {
            MakeFolders(folder);
            std::filesystem::permissions(folder, std::filesystem::perms(0755));
        }
        // The stand-in application says where it was started.
        for (const auto& folder : {installed, sharedInstall}) {
            WriteFile(folder + "/Velmora_KZ.exe",
                      "#!/bin/sh\npwd > started.tmp\n/bin/mv started.tmp started\n", 0755);
        }
    }

    int RunLauncher() const {
        return ErrorNumberOf([this] { launcher::Form1(layout).Form_Load(); });
    }

    TempFolder root;
    ProgramHarness harness;
    platform::Layout layout;
    std::string installed;
    std::string sharedInstall = root / "shared";
};

TEST_F(Launcher, StartsTheApplicationInTheFolderOfTheFirstLine) {
    WriteFile(layout.HandoverFile(), installed + "\r\n" + root / "elsewhere" + "\r\n");
    ASSERT_EQ(RunLauncher(), 0);
    EXPECT_EQ(WaitForFile(installed + "/started"), installed + "\n");
}

// The user's own install comes first; without one, the install for everyone is started.
TEST_F(Launcher, FollowsTheUsersOwnInstallElseTheOneForEveryone) {
    WriteFile(layout.HandoverFileIn(layout.sharedApplicationFolder), sharedInstall + "\r\n");
    ASSERT_EQ(RunLauncher(), 0);
    EXPECT_EQ(WaitForFile(sharedInstall + "/started"), sharedInstall + "\n");
    WriteFile(layout.HandoverFile(), installed + "\r\n");
    ASSERT_EQ(RunLauncher(), 0);
    EXPECT_EQ(WaitForFile(installed + "/started"), installed + "\n");
}

TEST_F(Launcher, ReportsWhatItCannotFollow) {
    EXPECT_EQ(RunLauncher(), platform::error::kFileNotFound) << "no hand-over file";
    WriteFile(layout.HandoverFile(), "");
    EXPECT_EQ(RunLauncher(), platform::error::kInputPastEndOfFile) << "empty hand-over file";
    WriteFile(layout.HandoverFile(), root / "missing" + "\r\n");
    EXPECT_EQ(RunLauncher(), platform::error::kPathNotFound) << "missing folder";
    WriteFile(layout.HandoverFile(), root.Path() + "\r\n");
    EXPECT_EQ(RunLauncher(), platform::error::kFileNotFound) << "no application there";
}

}  // namespace
