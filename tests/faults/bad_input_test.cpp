#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "launcher/core/launcher_form.h"
#include "platform/platform.h"
#include "tests/faults/fault_fixture.h"

using ::testing::ElementsAre;
using namespace faults;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// Text typed or pasted into the destination box, over an earlier installation. What the
// launcher could not follow back from the hand-over file is refused before anything is written.
struct Destination : Row {
    std::function<std::string(const std::string& root)> text;
    bool accepted;
};

const Destination kDestinations[] = {
    {{"Empty"}, [](const std::string&) { return std::string(); }, false},
    {{"Relative"}, [](const std::string&) { return std::string("Velmora_KZ"); }, false},
    {{"TrailingBlank"}, [](const std::string& root) { return root + "/Apps "; }, true},
    {{"TrailingSeparator"}, [](const std::string& root) { return root + "/Apps/"; }, true},
    {{"LineEndPasted"}, [](const std::string& root) { return root + "/Apps\r\n"; }, false},
    {{"LineBreakInside"}, [](const std::string& root) { return root + "/Apps\nOther"; }, false},
    {{"NonAscii"}, [](const std::string& root) { return root + "/Приложения Ü"; }, true},
    {{"LongerThanThePathLimit"},
     [](const std::string& root) {
         return root + "/" + std::string(platform::MaxPathLength(), 'a');
     },
     false},
};

class DestinationText : public FaultTest, public ::testing::WithParamInterface<Destination> {};

TEST_P(DestinationText, IsInstalledAndFollowedOrRefusedUntouched) {
    const Destination& destination = GetParam();
    LayOutEarlierInstall(root / "earlier");
    controls.Type(destination.text(root.Path()));
    const Outcome outcome = Install();
    ExpectNothingLost(outcome);

    if (!destination.accepted) {
        const std::string& typed = outcome.destination;
        ExpectFailureReported(outcome, "Bad file name",
                              typed.empty() ? "Could not install: no install folder was given."
                                            : "Could not install into the folder " + typed + ".",
                              "", "");
        EXPECT_EQ(outcome.after.at(layout.HandoverFile()).bytes, root / "earlier" + "\r\n");
        for (const auto& [path, entry] : outcome.after) {
            EXPECT_TRUE(outcome.before.contains(path))
                << "made for a refused destination: " << path;
        }
        return;
    }
    EXPECT_THAT(services.Shown(),
                ElementsAre("Finished|Velmora_KZ 2.0.1 Installation is Complete"));
    EXPECT_EQ(outcome.after.at(layout.HandoverFile()).bytes, outcome.destination + "\r\n");
    launcher::Form1(services, layout).Form_Load();
    ASSERT_EQ(services.Started().size(), 2u) << "java, then the application";
    EXPECT_EQ(services.Started()[1].folder, fs::canonical(outcome.destination).string());
}

INSTANTIATE_TEST_SUITE_P(Each, DestinationText, ::testing::ValuesIn(kDestinations), RowName());

// Whatever the hand-over file holds, the launcher starts the application where the first line
// says or ends in the runtime's box, and never changes the file. What the core tests of the
// launcher and the hand-over reader show on both systems is not repeated here.
struct HandoverContents : Row {
    std::string contents;     // "@" stands for the install folder
    int number;               // 0: the application starts in the install folder
    const char* description;  // "@" stands for the install folder
    std::function<void(testing_support::LauncherTest&)> arrange = {};
};

const HandoverContents kHandovers[] = {
    {{"LoneLineEnd"}, "\r\n", platform::error::kPathNotFound, "Path not found"},
    {{"NulInsideTheLine"},
     std::string("@\0/elsewhere\r\n", 14),
     platform::error::kBadFileName,
     "Bad file name\r\n@"},
    {{"InvalidUtf8"},
     "@\r\n",
     0,
     "",
     [](testing_support::LauncherTest& t) {
         const std::string folder = t.root / "\xff\xfe\xc3(";
         fs::rename(t.installed, folder);
         t.installed = folder;
     }},
};

class HandoverFile : public testing_support::LauncherTest,
                     public ::testing::WithParamInterface<HandoverContents> {};

TEST_P(HandoverFile, IsFollowedOrReportedAndNeverChanged) {
    const HandoverContents& row = GetParam();
    if (row.arrange) {
        row.arrange(*this);
    }
    std::string contents = row.contents;
    if (const auto at = contents.find('@'); at != std::string::npos) {
        contents.replace(at, 1, installed);
    }
    Record(contents);

    const bool ended = Launch();
    EXPECT_EQ(ReadFile(layout.HandoverFile()), contents);
    if (row.number == 0) {
        EXPECT_FALSE(ended);
        EXPECT_THAT(services.Messages(), ::testing::IsEmpty());
        EXPECT_THAT(StartedIn(), ElementsAre(installed));
        return;
    }
    EXPECT_TRUE(ended);
    std::string box = row.description;
    if (const auto at = box.find('@'); at != std::string::npos) {
        box.replace(at, 1, installed);
    }
    EXPECT_THAT(services.Shown(), ElementsAre("Project1|Run-time error '" +
                                              std::to_string(row.number) + "':\r\n\r\n" + box));
    EXPECT_THAT(StartedIn(), ::testing::IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Each, HandoverFile, ::testing::ValuesIn(kHandovers), RowName());

std::uint64_t BytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") {
            return value;
        }
    }
    return 0;
}

using HugeHandoverFile = testing_support::LauncherTest;

// One line of 100 MB, nearly all of it a hole, so the file costs nothing to make.
TEST_F(HugeHandoverFile, IsRefusedAfterReadingAPathsWorth) {
    Record(installed + std::string(8192, 'a'));
    fs::resize_file(layout.HandoverFile(), 100 << 20);

    const std::uint64_t readBefore = BytesReadSoFar();
    EXPECT_TRUE(Launch());
    const std::uint64_t read = BytesReadSoFar() - readBefore;
    EXPECT_THAT(services.Shown(),
                ElementsAre("Project1|Run-time error '64':\r\n\r\nBad file name"));
    if (readBefore != 0) {
        EXPECT_LT(read, 1u << 20) << "the launcher read the whole file";
    }
    EXPECT_EQ(fs::file_size(layout.HandoverFile()), 100u << 20);
}

}  // namespace
