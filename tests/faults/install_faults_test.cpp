#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

std::string FirstCopyStep(const std::string& folder) {
    return FaultTest::CopyStep("Velmora_KZ.jar", folder + "/Velmora_KZ.jar");
}

const PlaceFault kPlaceFaults[] = {
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
    {{"ApplicationFolderReadOnly"},
     [](FaultTest& t) {
         t.LayOutEarlierInstall(t.root / "earlier");
         return MakeReadOnly(t.layout.applicationFolder);
     },
     "Permission denied",
     [](const FaultTest& t) { return "Could not write the file " + t.layout.HandoverFile() + "."; },
     false,
     "earlier"},
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

}  // namespace
