// Built into the tests of both systems.
#include <gtest/gtest.h>

#include "handover/handover.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "tests/support/program_harness.h"
#include "tests/support/temp_folder.h"

using namespace testing_support;

namespace {

// One line, the folder as typed, a trailing blank included, and read back so.
TEST(HandoverWrite, IsOneLineThatReadsBackAsTyped) {
    TempFolder folder;
    platform::SystemFileSystem files;
    const std::string file = folder / "Start_up.txt";
    EXPECT_EQ(handover::FileFor("D:\\Apps\\Tool"), "D:\\Apps\\Tool\r\n");
    WriteFile(file, handover::FileFor("/second "));
    EXPECT_EQ(handover::ReadFirstLine(files, file), "/second ");
}

TEST(HandoverRead, FirstLineEndsAtAnyLineEnd) {
    TempFolder folder;
    platform::SystemFileSystem files;
    const std::string file = folder / "Start_up.txt";
    const std::pair<std::string, std::string> cases[] = {
        {"/first\r\n/second\r\n", "/first"},
        {"/cr\r/next", "/cr"},
        {"/lf\n/next", "/lf"},
        {"/no end", "/no end"},
        {"\r\n", ""},
        {" blank \r\n", " blank "},
    };
    for (const auto& [contents, line] : cases) {
        WriteFile(file, contents);
        EXPECT_EQ(handover::ReadFirstLine(files, file), line) << contents;
    }
}

TEST(HandoverRead, MissingEmptyAndOverlongFilesAreErrors) {
    TempFolder folder;
    platform::SystemFileSystem files;
    EXPECT_EQ(ErrorNumberOf([&] { handover::ReadFirstLine(files, folder / "missing"); }),
              platform::error::kFileNotFound);
    WriteFile(folder / "empty", "");
    EXPECT_EQ(ErrorNumberOf([&] { handover::ReadFirstLine(files, folder / "empty"); }),
              platform::error::kInputPastEndOfFile);

    const std::string longest(platform::MaxPathLength(), 'a');
    WriteFile(folder / "longest", longest + "\r\n");
    EXPECT_EQ(handover::ReadFirstLine(files, folder / "longest"), longest);
    WriteFile(folder / "overlong", longest + "a\r\n");
    EXPECT_EQ(ErrorNumberOf([&] { handover::ReadFirstLine(files, folder / "overlong"); }),
              platform::error::kBadFileName);
}

}  // namespace
