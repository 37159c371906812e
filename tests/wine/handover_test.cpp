#include <gtest/gtest.h>

#include "handover/handover.h"
#include "platform/platform.h"
#include "tests/wine/wine_support.h"

using namespace wine_testing;

namespace {

TEST(Handover, WritesOneLineAndReplacesTheLastOne) {
    TempFolder folder;
    const std::string file = folder / "Start_up.txt";
    handover::Write(file, "D:\\Apps\\Tool");
    EXPECT_EQ(ReadFile(file), "D:\\Apps\\Tool\r\n");
    handover::Write(file, "C:\\second ");
    EXPECT_EQ(ReadFile(file), "C:\\second \r\n");
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"Start_up.txt"});
    EXPECT_EQ(handover::ReadFirstLine(file), "C:\\second ");
}

TEST(Handover, FailuresLeaveNothingBehind) {
    TempFolder folder;
    EXPECT_EQ(ErrorNumberOf([&] { handover::Write(folder / "missing\\Start_up.txt", "x"); }),
              platform::error::kPathNotFound);
    EXPECT_TRUE(FolderEntries(folder.Path()).empty());
    EXPECT_EQ(ErrorNumberOf([&] { handover::ReadFirstLine(folder / "missing"); }),
              platform::error::kFileNotFound);
}

TEST(Handover, ReadsAtMostTheLongestPath) {
    TempFolder folder;
    const std::string longest(platform::MaxPathLength(), 'a');
    WriteFile(folder / "longest", longest + "\r\n");
    EXPECT_EQ(handover::ReadFirstLine(folder / "longest"), longest);
    WriteFile(folder / "overlong", longest + "a\r\n");
    EXPECT_EQ(ErrorNumberOf([&] { handover::ReadFirstLine(folder / "overlong"); }),
              platform::error::kBadFileName);
}

}  // namespace
