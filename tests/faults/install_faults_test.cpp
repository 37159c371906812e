#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include <unistd.h>

#include "setup/core/installation_files.h"
#include "tests/faults/fault_fixture.h"

using ::testing::Contains;
using ::testing::Not;
using namespace faults;
using namespace testing_support;

namespace {

// Where each file stands in the installation list, and whether an earlier installation is in
// the destination (the default one, the application folder).
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
    REQUIRE_RUN(outcome);
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
    ExpectApplicationFiles(outcome, layout.applicationFolder, 0, overEarlier);
    if (overEarlier) {
        ExpectTreeUnchanged(outcome, layout.applicationFolder);
    } else {
        EXPECT_FALSE(outcome.after.contains(layout.HandoverFile())) << "no record of a failure";
    }
}

INSTANTIATE_TEST_SUITE_P(
    EachPosition, MissingApplicationFile,
    ::testing::Combine(::testing::Range<std::size_t>(0, setup::kInstallationFiles.size()),
                       ::testing::Bool()),
    [](const auto& info) {
        std::string name(setup::kInstallationFiles[std::get<0>(info.param)]);
        std::erase_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); });
        return std::to_string(std::get<0>(info.param) + 1) + "_" + name +
               (std::get<1>(info.param) ? "_OverEarlierInstall" : "_Fresh");
    });

// A place the installer must write to that is missing, taken or read-only. None of them gets
// as far as the application files.
struct PlaceFault : Row {
    std::function<std::string(FaultTest&)> make;
    const char* description;
    std::function<std::string(const FaultTest&)> step;
    bool targetsKnown;     // the failure came after S and T1 were set
    const char* recorded;  // the folder under the test's root the hand-over file names after the
                           // run, as it did before it; nullptr: no hand-over file
};

std::string CreateFolderStep(const std::string& folder) {
    return "Could not create the folder " + folder + ".";
}
std::string WriteHandoverStep(const FaultTest& t) {
    return "Could not write the file " + t.layout.HandoverFile() + ".";
}
std::string FirstCopyStep(const std::string& folder) {
    return FaultTest::CopyStep("Velmora_KZ.jar", folder + "/Velmora_KZ.jar");
}

const PlaceFault kPlaceFaults[] = {
    {{"DestinationParentMissing"},
     [](FaultTest& t) {
         t.controls.Type(t.root / "missing/Velmora_KZ");
         return std::string();
     },
     "Path not found",
     [](const FaultTest& t) { return CreateFolderStep(t.root / "missing/Velmora_KZ"); },
     true,
     nullptr},
    {{"DestinationIsAFile"},
     [](FaultTest& t) {
         WriteFile(t.root / "taken", "a file of the user's");
         t.controls.Type(t.root / "taken");
         return std::string();
     },
     "Path not found",
     [](const FaultTest& t) { return FirstCopyStep(t.root / "taken"); },
     true,
     nullptr},
    {{"DestinationReadOnly"},
     [](FaultTest& t) {
         t.LayOutEarlierInstall(t.root / "apps");
         t.controls.Type(t.root / "apps");
         return MakeReadOnly(t.root / "apps");
     },
     "Permission denied",
     [](const FaultTest& t) { return FirstCopyStep(t.root / "apps"); },
     true,
     "apps"},
    {{"DestinationParentReadOnly"},
     [](FaultTest& t) {
         MakeFolders(t.root / "locked");
         t.controls.Type(t.root / "locked/apps");
         return MakeReadOnly(t.root / "locked");
     },
     "Permission denied",
     [](const FaultTest& t) { return CreateFolderStep(t.root / "locked/apps"); },
     true,
     nullptr},
    {{"ApplicationFolderReadOnly"},
     [](FaultTest& t) {
         t.LayOutEarlierInstall(t.root / "earlier");
         return MakeReadOnly(t.layout.applicationFolder);
     },
     "Permission denied",
     WriteHandoverStep,
     false,
     "earlier"},
    {{"ApplicationFolderIsAFile"},
     [](FaultTest& t) {
         WriteFile(t.layout.applicationFolder, "a file of the user's");
         return std::string();
     },
     "Path not found",
     WriteHandoverStep,
     false,
     nullptr},
    {{"DesktopReadOnly"},
     [](FaultTest& t) {
         MakeFolders(t.Profile() + "/Desktop");
         return MakeReadOnly(t.Profile() + "/Desktop");
     },
     "Permission denied",
     [](const FaultTest& t) { return FaultTest::CopyStep(t.Source(), t.DesktopTarget()); },
     true,
     nullptr},
};

class PlaceFaults : public FaultTest, public ::testing::WithParamInterface<PlaceFault> {};

TEST_P(PlaceFaults, EndWithTheFourLinesAndNoHarm) {
    const PlaceFault& fault = GetParam();
    const Outcome outcome = Install([&] { return fault.make(*this); });
    REQUIRE_RUN(outcome);
    ExpectFailureReported(outcome, fault.description, fault.step(*this),
                          fault.targetsKnown ? Source() : "",
                          fault.targetsKnown ? DesktopTarget() : "");
    ExpectNothingLost(outcome);
    EXPECT_THAT(LogOf(outcome), Not(Contains("Copied Installation Files Successfully")));

    const auto handover = outcome.after.find(layout.HandoverFile());
    if (fault.recorded == nullptr) {
        EXPECT_EQ(handover, outcome.after.end());
    } else {
        ASSERT_NE(handover, outcome.after.end());
        EXPECT_EQ(handover->second.bytes, root / fault.recorded + "\r\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Each, PlaceFaults, ::testing::ValuesIn(kPlaceFaults), RowName());

// Installs that must succeed although files are in the way: an earlier installation, or the
// installation files themselves under another spelling of their folder.
struct InTheWay : Row {
    std::function<void(FaultTest&)> arrange;
};

const InTheWay kInTheWay[] = {
    {{"OverAnEarlierInstall"},
     [](FaultTest& t) { t.LayOutEarlierInstall(t.layout.applicationFolder); }},
    {{"WorkingFolderWithTrailingSeparator"},
     [](FaultTest& t) { t.controls.Type(t.working + "/"); }},
    {{"WorkingFolderThroughDot"}, [](FaultTest& t) { t.controls.Type(t.working + "/."); }},
    {{"WorkingFolderThroughLink"},
     [](FaultTest& t) {
         std::filesystem::create_directory_symlink(t.working, t.root / "link");
         t.controls.Type(t.root / "link");
     }},
};

class InstallsInTheWay : public FaultTest, public ::testing::WithParamInterface<InTheWay> {};

TEST_P(InstallsInTheWay, ReplaceWholeFilesAndReportSuccess) {
    GetParam().arrange(*this);
    const Outcome outcome = Install();
    REQUIRE_RUN(outcome);
    EXPECT_TRUE(outcome.ended);
    EXPECT_THAT(Shown(outcome.messages),
                ::testing::ElementsAre("Finished|Velmora_KZ 2.0.1 Installation is Complete"));
    EXPECT_EQ(LogOf(outcome).back(), "Copied Installation Files Successfully");
    ExpectNothingLost(outcome);
    const std::string folder = std::filesystem::canonical(outcome.destination).string();
    ExpectApplicationFiles(outcome, folder, setup::kInstallationFiles.size(), false);
    EXPECT_EQ(outcome.after.at(layout.HandoverFile()).bytes, outcome.destination + "\r\n");
    for (const auto& [path, entry] : outcome.after) {
        if (path.starts_with(layout.applicationFolder)) {
            EXPECT_EQ(entry.mode & 022, 0u) << path << " is writable by others";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Each, InstallsInTheWay, ::testing::ValuesIn(kInTheWay), RowName());

using StartedElsewhere = FaultTest;

TEST_F(StartedElsewhere, FailsOnTheFirstCopyWithTheLogBesideIt) {
    const std::string elsewhere = root / "elsewhere";
    MakeFolders(elsewhere);
    ASSERT_EQ(::chdir(elsewhere.c_str()), 0);
    const Outcome outcome = Install();
    REQUIRE_RUN(outcome);
    EXPECT_EQ(outcome.workingFolder, elsewhere);
    ExpectFailureReported(outcome, "File not found",
                          CopyStep(elsewhere + "/Velmora_KZ.2.0.1.exe", DesktopTarget()),
                          elsewhere + "/Velmora_KZ.2.0.1.exe", DesktopTarget());
    EXPECT_FALSE(outcome.after.contains(layout.HandoverFile()));
    ExpectNothingLost(outcome);
    EXPECT_EQ(LogOf(outcome).at(5), "Creating Desktop Icon");
    EXPECT_FALSE(outcome.after.contains(DesktopTarget()));
}

}  // namespace
