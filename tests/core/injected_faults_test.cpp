#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <string>

#include "platform/platform.h"
#include "setup/core/installation_files.h"
#include "tests/support/earlier_install_fixture.h"

#ifdef _WIN32
#include "platform/windows/windows_api.h"
#else
#include <cerrno>
#endif

using ::testing::ElementsAre;
using Operation = platform::fakes::Operation;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr int kDiskFull = ERROR_DISK_FULL;
constexpr int kAccessDenied = ERROR_ACCESS_DENIED;
#else
constexpr int kDiskFull = ENOSPC;
constexpr int kAccessDenied = EACCES;
#endif

std::string CopyStep(const std::string& source, const std::string& destination) {
    return "Could not copy " + source + " to " + destination + ".";
}

struct InjectedFault {
    const char* name;
    Operation operation;
    int code;
    int after;
    std::function<std::string(const EarlierInstallTest&)> place;  // where it strikes
    const char* description;
    std::function<std::string(const EarlierInstallTest&)> step;  // the box's middle line
    bool destinationMadeByTheInstall = false;
};
std::ostream& operator<<(std::ostream& out, const InjectedFault& fault) {
    return out << fault.name;
}

std::string ApplicationFile(const EarlierInstallTest& t, const char* name) {
    return Joined(t.destination, name);
}

class InjectedFaults : public EarlierInstallTest,
                       public ::testing::WithParamInterface<InjectedFault> {};

// A fault on one application file's copy or move: the box names that file's copy.
InjectedFault OnApplicationFile(const char* name, Operation operation, int code, int after,
                                const char* file, const char* description) {
    return {
        name,
        operation,
        code,
        after,
        [file](const EarlierInstallTest& t) { return ApplicationFile(t, file); },
        description,
        [file](const EarlierInstallTest& t) { return CopyStep(file, ApplicationFile(t, file)); }};
}

const InjectedFault kInjectedFaults[] = {
    OnApplicationFile("DiskFillsWhileCopyingAFile", Operation::Write, kDiskFull, 0, "help.html",
                      "Disk full"),
    OnApplicationFile("DiskFillsWhileCopyingTheLastFile", Operation::Write, kDiskFull, 0,
                      "Setup.exe", "Disk full"),
    OnApplicationFile("DestinationRefusesTheFirstCopy", Operation::Copy, kAccessDenied, 0,
                      "Velmora_KZ.jar", "Permission denied"),
    // Moving the earlier file aside, then moving the new one in: each may fail.
    OnApplicationFile("CommitCannotMoveAFileAside", Operation::Rename, kDiskFull, 0, "help.html",
                      "Disk full"),
    OnApplicationFile("CommitCannotPutTheLastFileInPlace", Operation::Rename, kAccessDenied, 1,
                      "Setup.exe", "Permission denied"),
    {"DestinationCannotBeMade", Operation::CreateFolder, kAccessDenied, 0,
     [](const EarlierInstallTest& t) { return t.destination; }, "Permission denied",
     [](const EarlierInstallTest& t) {
         return "Could not create the folder " + t.destination + ".";
     },
     true},
    {"LauncherCopyFails", Operation::Copy, kAccessDenied, 0,
     [](const EarlierInstallTest& t) { return t.DesktopTarget(); }, "Permission denied",
     [](const EarlierInstallTest& t) { return CopyStep(t.Source(), t.DesktopTarget()); }},
    {"HandoverFileCannotBeWritten", Operation::Write, kDiskFull, 0,
     [](const EarlierInstallTest& t) { return t.layout.HandoverFile(); }, "Disk full",
     [](const EarlierInstallTest& t) {
         return "Could not write the file " + t.layout.HandoverFile() + ".";
     }},
    {"HandoverFileCannotBeMovedIntoPlace", Operation::Rename, kAccessDenied, 0,
     [](const EarlierInstallTest& t) { return t.layout.HandoverFile(); }, "Permission denied",
     [](const EarlierInstallTest& t) {
         return "Could not write the file " + t.layout.HandoverFile() + ".";
     }},
    {"LogCannotTakeALine", Operation::Write, kDiskFull, 0,
     [](const EarlierInstallTest& t) { return t.LogPath(); }, "Disk full",
     [](const EarlierInstallTest& t) { return "Could not write to the log " + t.LogPath() + "."; }},
};

TEST_P(InjectedFaults, LeaveTheEarlierInstallationsAsTheyWereAndNameThePlace) {
    const InjectedFault& fault = GetParam();
    if (fault.destinationMadeByTheInstall) {
        RemoveTree(destination);
    }
    Start();
    const auto before = TreeOf(destination);
    services.Files().FailNext(fault.operation, fault.code, fault.after, fault.place(*this));
    ASSERT_TRUE(BeginInstall());

    EXPECT_EQ(TreeOf(destination), before) << "the destination must be as it was";
    EXPECT_EQ(ReadFile(layout.HandoverFile()), earlierRecord);
    EXPECT_THAT(FolderEntries(layout.applicationFolder),
                ElementsAre("Install.record", "Start_up.txt"))
        << "no temporary file is left beside the hand-over file";
    const auto log = LogTexts(LogPath());
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[log.size() - 4], std::string("Error During Setup: ") + fault.description);
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages().at(0).text, std::string("Error During Setup: ") +
                                                  fault.description + "\r\n" + fault.step(*this) +
                                                  "\r\nSee " + LogPath() + " for details.");
}

INSTANTIATE_TEST_SUITE_P(Each, InjectedFaults, ::testing::ValuesIn(kInjectedFaults),
                         [](const auto& info) { return std::string(info.param.name); });

// The same install without a fault, and without an earlier record: the hand-over file of a
// failed first install is taken away, not left naming a folder that does not work.
TEST_F(EarlierInstallTest, FailedFirstInstallLeavesNoRecord) {
    fs::remove(layout.HandoverFile());
    Start();
    services.Files().FailNext(Operation::Write, kDiskFull, 0, Joined(destination, "readme.txt"));
    ASSERT_TRUE(BeginInstall());
    EXPECT_FALSE(Exists(layout.HandoverFile()));
}

TEST_F(EarlierInstallTest, SucceedsOverTheEarlierInstallationAndKeepsNoTemporaryFile) {
    Start();
    ASSERT_TRUE(BeginInstall());
    EXPECT_EQ(LogTexts(LogPath()).back(), "Copied Installation Files Successfully");
    EXPECT_EQ(ReadFile(layout.HandoverFile()), destination + "\r\n");
    for (const auto name : setup::kInstallationFiles) {
        const std::string file = Joined(destination, std::string(name));
        EXPECT_EQ(ReadFile(file), BytesOf(name)) << name;
#ifndef _WIN32
        const auto othersMayWrite = fs::perms::group_write | fs::perms::others_write;
        EXPECT_EQ(fs::status(file).permissions() & othersMayWrite, fs::perms::none) << name;
#endif
    }
    EXPECT_EQ(FolderEntries(destination).size(), setup::kInstallationFiles.size() + 1)
        << "only the 15 files and the user's notes";
}

// A run interrupted while copying leaves its temporary files; the next install into that folder
// removes those, and only those.
TEST_F(EarlierInstallTest, NextInstallRemovesTheTemporaryFilesAnInterruptedRunLeft) {
    WriteFile(Joined(destination, ".Velmora_KZ-partial-a1B2c3"), "left by a crash");
    WriteFile(Joined(destination, "Velmora_KZ-partial-x"), "the user's");
    WriteFile(Joined(destination, ".other-partial-123456"), "the user's");
    Start();
    ASSERT_TRUE(BeginInstall());
    EXPECT_EQ(LogTexts(LogPath()).back(), "Copied Installation Files Successfully");
    EXPECT_FALSE(Exists(Joined(destination, ".Velmora_KZ-partial-a1B2c3")));
    EXPECT_TRUE(Exists(Joined(destination, "Velmora_KZ-partial-x")));
    EXPECT_TRUE(Exists(Joined(destination, ".other-partial-123456")));
}

// The user's name cannot be had (a user id without a password entry): the failure route names the
// query, and the hand-over file written before it is taken back.
TEST_F(EarlierInstallTest, UserNameThatCannotBeHadTakesTheFailureRoute) {
    Start();
    services.FailUserName(2);
    ASSERT_TRUE(BeginInstall());
    const auto log = LogTexts(LogPath());
    ASSERT_GE(log.size(), 4u);
    EXPECT_THAT(std::vector<std::string>(log.end() - 4, log.end()),
                ElementsAre("Error During Setup: A system call returned an error code of 2",
                            "Working Directory: " + working, "Source Directory: " + Source(),
                            "Destination Directory: "));
    EXPECT_THAT(services.Shown(),
                ElementsAre("Velmora_KZ 2.0.1 Setup|Error During Setup: A system call returned an "
                            "error code of 2\r\nCould not get the name of the current user.\r\n"
                            "See " +
                            LogPath() + " for details."));
    EXPECT_EQ(ReadFile(layout.HandoverFile()), earlierRecord);
    EXPECT_FALSE(Exists(DesktopTarget()));
}

// The log refuses every line, the failure route's own included: nothing handles that, so the
// runtime's box is the account.
TEST_F(EarlierInstallTest, LogThatRefusesEveryLineEndsInTheRuntimesBox) {
    Start();
    services.Files().FailEvery(Operation::Write, kAccessDenied, LogPath());
    EXPECT_EQ(
        EndStatusOf([this] { platform::RunHandler(services, [this] { form->Command1_Click(); }); }),
        platform::ExitStatus::Failure);
    EXPECT_THAT(
        services.Shown(),
        ElementsAre("Project1|Run-time error '70':\r\n\r\nPermission denied\r\n" + LogPath()));
    EXPECT_EQ(ReadFile(layout.HandoverFile()), earlierRecord) << "nothing was written yet";
}

// An injected failure is reported as the system's own would be: number, description, place and
// the system's code.
TEST(FaultInjection, FailsTheChosenOperationOnceLikeARealFailure) {
    TempFolder folder;
    platform::SystemFileSystem system;
    platform::fakes::FaultyFileSystem files(system);
    const std::string log = folder / "log.txt";
    files.FailNext(Operation::Write, kDiskFull, 1);
    files.PrintLine(log, platform::OpenFor::Output, "first");
    try {
        files.PrintLine(log, platform::OpenFor::Append, "second");
        ADD_FAILURE() << "the second write should fail";
    } catch (const platform::RuntimeError& error) {
        EXPECT_EQ(error.Number(), platform::error::kDiskFull);
        EXPECT_EQ(error.Description(), "Disk full");
        EXPECT_EQ(error.Place(), log);
        EXPECT_EQ(error.SystemCode(), kDiskFull);
    }
    files.PrintLine(log, platform::OpenFor::Append, "third");
    EXPECT_THAT(CrLfLines(log), ElementsAre("first", "third"));
}

}  // namespace
