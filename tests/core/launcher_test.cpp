// Built into the tests of both systems.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <utility>

#include "launcher/core/launcher_form.h"
#include "platform/platform.h"
#include "tests/support/launcher_fixture.h"

#ifdef _WIN32
#include "tests/wine/wine_support.h"
#endif

using ::testing::ElementsAre;
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

// Each failure ends in the runtime's box naming its place, starts nothing and leaves the hand-over
// file as it was.
TEST_F(Launcher, ReportsWhatItCannotFollowInTheRuntimesBox) {
    const std::pair<std::optional<std::string>, std::string> rows[] = {
        {std::nullopt,
         "'53':\r\n\r\nFile not found\r\n" + layout.HandoverFileIn(layout.sharedApplicationFolder)},
        {"", "'62':\r\n\r\nInput past end of file"},
        {root / "missing\r\n", "'76':\r\n\r\nPath not found\r\n" + root / "missing"},
        {root.Path() + "\r\n", "'53':\r\n\r\nFile not found\r\nVelmora_KZ.exe"},
    };
    for (const auto& [record, box] : rows) {
        if (record) {
            Record(*record);
        }
        const ProgramHarness boxes;
        EXPECT_TRUE(EndsProgram(
            [this] { platform::RunHandler([this] { launcher::Form1(layout).Form_Load(); }); }));
        EXPECT_THAT(Shown(boxes.Messages()), ElementsAre("Project1|Run-time error " + box));
        const bool kept = Exists(layout.HandoverFile());
        EXPECT_EQ(kept ? ReadFile(layout.HandoverFile()) : "<none>", record.value_or("<none>"));
    }
    EXPECT_FALSE(Started(root.Path()) || Started(installed) || Started(sharedInstall));
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
