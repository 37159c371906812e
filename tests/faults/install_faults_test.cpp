#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <tuple>

#include "setup/core/installation_files.h"
#include "tests/faults/fault_fixture.h"

using ::testing::Contains;
using ::testing::Not;
using namespace faults;
using namespace testing_support;

namespace {

// The first file, the launcher (needed first, for the desktop copy) and the last, each into a
// fresh destination and over an earlier installation (the default one, the application folder).
class MissingApplicationFile : public FaultTest,
                               public ::testing::WithParamInterface<std::tuple<std::size_t, bool>> {
};

TEST_P(MissingApplicationFile, LeavesTheDestinationAsItWas) {
    const auto [position, overEarlier] = GetParam();
    const std::string name(setup::kInstallationFiles[position]);
    if (overEarlier) {
        LayOutEarlierInstall(layout.applicationFolder);
    }
    std::filesystem::remove(working + "/" + name);

    const Outcome outcome = Install();
    // The launcher file is needed first, for the desktop copy; the others only in the copy step.
    const bool launcher = name == setup::kLauncherFile;
    ExpectFailureReported(outcome, "File not found",
                          launcher ? CopyStep(Source(), DesktopTarget())
                                   : CopyStep(name, layout.applicationFolder + "/" + name),
                          Source(), DesktopTarget());
    ExpectNothingLost(outcome);
    const auto log = LogOf(outcome);
    EXPECT_EQ(log.at(log.size() - 5),
              launcher ? "Creating Desktop Icon" : "Creating Program Menu Shortcut Icon");
    if (overEarlier) {
        ExpectTreeUnchanged(outcome, layout.applicationFolder);
    } else {
        for (const auto& [path, entry] : outcome.after) {
            EXPECT_FALSE(path.starts_with(layout.applicationFolder + "/")) << "left: " << path;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    EachPosition, MissingApplicationFile,
    ::testing::Combine(::testing::Values(std::size_t{0}, std::size_t{13}, std::size_t{14}),
                       ::testing::Bool()),
    [](const auto& info) {
        std::string name(setup::kInstallationFiles[std::get<0>(info.param)]);
        std::erase_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); });
        return std::to_string(std::get<0>(info.param) + 1) + "_" + name +
               (std::get<1>(info.param) ? "_OverEarlierInstall" : "_Fresh");
    });

// The destination is a file of the user's: the first copy into it fails, and the file and the
// earlier hand-over file stay as they were.
TEST_F(FaultTest, DestinationThatIsAFileEndsWithTheFourLinesAndNoHarm) {
    WriteFile(root / "taken", "a file of the user's");
    controls.Type(root / "taken");
    const Outcome outcome = Install();
    ExpectFailureReported(outcome, "Path not found",
                          CopyStep("Velmora_KZ.jar", root / "taken/Velmora_KZ.jar"), Source(),
                          DesktopTarget());
    ExpectNothingLost(outcome);
    EXPECT_THAT(LogOf(outcome), Not(Contains("Copied Installation Files Successfully")));
    EXPECT_FALSE(outcome.after.contains(layout.HandoverFile()));
}

}  // namespace

// An installation file that ends before its length, as a download cut short: not "Complete", but
// the failure route, with the earlier installation in D as it was.
TEST_F(FaultTest, InstallationFileShorterThanItsLengthIsNotCalledComplete) {
    const std::string shortFile = "/sys/devices/system/cpu/online";
    if (!Exists(shortFile) || std::filesystem::file_size(shortFile) <= ReadFile(shortFile).size()) {
        GTEST_SKIP() << "no file here says it is longer than it is";
    }
    std::filesystem::remove(working + "/Velmora_KZ.jar");
    std::filesystem::create_symlink(shortFile, working + "/Velmora_KZ.jar");
    LayOutEarlierInstall(layout.applicationFolder);
    const Outcome outcome = Install();
    ExpectFailureReported(outcome, "Input past end of file",
                          CopyStep("Velmora_KZ.jar", layout.applicationFolder + "/Velmora_KZ.jar"),
                          Source(), DesktopTarget());
    ExpectTreeUnchanged(outcome, layout.applicationFolder);
}

// An earlier hand-over file that is no launcher's record: far longer than a path (a file of 40 GiB
// once ended every install with "Out of memory"; this one is kept small enough for the test to
// read the tree) or a link to another user's file. The install reads neither whole nor through
// the link; a failed install puts back neither, and leaves no record of itself behind.
struct OddEarlierRecord : Row {
    std::function<void(FaultTest&)> make;
};

const OddEarlierRecord kOddEarlierRecords[] = {
    {{"FarLongerThanAPath"},
     [](FaultTest& t) {
         WriteFile(t.layout.HandoverFile(), t.root / "earlier\r\n");
         std::filesystem::resize_file(t.layout.HandoverFile(), std::uintmax_t{8} << 20);
     }},
    {{"LinkToAnotherFile"},
     [](FaultTest& t) {
         WriteFile(t.root / "secret", "someone's secret\r\n", 0600);
         std::filesystem::create_symlink(t.root / "secret", t.layout.HandoverFile());
     }},
};

class OddEarlierHandover : public FaultTest,
                           public ::testing::WithParamInterface<OddEarlierRecord> {};

TEST_P(OddEarlierHandover, IsNeitherReadWholeNorPutBack) {
    MakeFolders(layout.applicationFolder);
    GetParam().make(*this);
    std::filesystem::remove(working + "/make.gif");
    const Outcome outcome = Install();
    ExpectFailureReported(outcome, "File not found",
                          CopyStep("make.gif", layout.applicationFolder + "/make.gif"), Source(),
                          DesktopTarget());
    EXPECT_FALSE(Exists(layout.HandoverFile()));
    EXPECT_FALSE(std::filesystem::is_symlink(layout.HandoverFile()));
    if (Exists(root / "secret")) {
        EXPECT_EQ(ReadFile(root / "secret"), "someone's secret\r\n");
    }

    LayOutMedium(working);
    const Outcome again = Install();
    EXPECT_EQ(again.ended, platform::ExitStatus::Success);
    EXPECT_EQ(ReadFile(layout.HandoverFile()), layout.applicationFolder + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Each, OddEarlierHandover, ::testing::ValuesIn(kOddEarlierRecords),
                         RowName());
