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
using ::testing::IsEmpty;
using namespace testing_support;

namespace {

using Launcher = LauncherTest;

// The user's own install comes first; without one, the install for everyone is started.
TEST_F(Launcher, FollowsTheUsersOwnInstallElseTheOneForEveryone) {
    WriteFile(layout.HandoverFileIn(layout.sharedApplicationFolder), sharedInstall + "\r\n");
    ASSERT_FALSE(Launch());
    Record(installed + "\r\n" + sharedInstall + "\r\n");
    ASSERT_FALSE(Launch());
    EXPECT_THAT(StartedIn(), ElementsAre(sharedInstall, installed)) << "the first line's folder";
    EXPECT_EQ(services.Started().at(0).name, launcher::kApplicationProgram);
    EXPECT_EQ(services.Started().at(1).programFolder, installed) << "by its full path, no search";
    EXPECT_THAT(services.Messages(), IsEmpty());
}

// Each failure ends in the runtime's box naming its place, starts nothing and leaves the hand-over
// file as it was.
TEST_F(Launcher, ReportsWhatItCannotFollowInTheRuntimesBox) {
    const std::pair<std::optional<std::string>, std::string> rows[] = {
        {std::nullopt,
         "'53':\r\n\r\nFile not found\r\n" + layout.HandoverFileIn(layout.sharedApplicationFolder)},
        {"", "'62':\r\n\r\nInput past end of file"},
        {root / "missing\r\n", "'76':\r\n\r\nPath not found\r\n" + root / "missing"},
    };
    for (const auto& [record, box] : rows) {
        if (record) {
            Record(*record);
        }
        RecordingServices boxes;
        EXPECT_TRUE(EndsProgram([&] {
            platform::RunHandler(boxes, [&] { launcher::Form1(boxes, layout).Form_Load(); });
        }));
        EXPECT_THAT(boxes.Shown(), ElementsAre("Project1|Run-time error " + box));
        EXPECT_EQ(boxes.EndStatus(), platform::ExitStatus::Failure);
        EXPECT_THAT(boxes.Started(), IsEmpty());
        const bool kept = Exists(layout.HandoverFile());
        EXPECT_EQ(kept ? ReadFile(layout.HandoverFile()) : "<none>", record.value_or("<none>"));
    }
}

#ifdef _WIN32
// The folder change to another drive sets only that drive's folder, so the application folder
// stays current; the application is still started, by its full path in the recorded folder.
TEST_F(Launcher, InstallFolderOnAnotherDriveIsStartedByItsFullPath) {
    const std::string own = wine_testing::OwnFolder();
    if (::toupper(own[0]) == ::toupper(root.Path()[0])) {
        GTEST_SKIP() << "needs a folder on another drive than the temporary one";
    }
    const TempFolder other(own);
    MakeFolders(other / "installed");
    WriteFile(Joined(other / "installed", launcher::kApplicationProgram), "the application");
    Record(other / "installed" + "\r\n");
    ASSERT_FALSE(Launch()) << services.Shown().at(0);
    ASSERT_EQ(services.Started().size(), 1u);
    EXPECT_EQ(services.Started()[0].programFolder, other / "installed");
    EXPECT_EQ(services.Started()[0].folder, layout.applicationFolder);
    EXPECT_EQ(platform::CurrentFolderOfDrive(own.substr(0, 2)), other / "installed");
}

// The hand-over file holds UTF-8; a line that is none, as an earlier installer wrote it in the
// ANSI code page (1252 in the tests), still names its folder.
TEST_F(Launcher, FollowsALineAnEarlierInstallerWroteInTheCodePage) {
    const std::string folder = root / "M\xc3\xbcller";
    MakeFolders(folder);
    WriteFile(Joined(folder, launcher::kApplicationProgram), "the application");
    Record(root / "M\xfcller\r\n");
    ASSERT_FALSE(Launch());
    EXPECT_THAT(StartedIn(), ElementsAre(folder));
}
#endif

}  // namespace
