#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <grp.h>
#include <sys/mount.h>
#include <unistd.h>

#include "platform/platform.h"
#include "tests/faults/fault_fixture.h"

using namespace faults;
using namespace testing_support;

namespace {

// The disk fills in the middle of one file's copy, over an earlier installation: the
// destination keeps the earlier installation whole, with no temporary file left.
using SpaceRunsOut = FaultTest;

TEST_F(SpaceRunsOut, DuringACopyKeepsTheEarlierInstallation) {
    const std::string disk = root / "disk";
    const std::string destination = disk + "/Velmora_KZ";
    WriteFile(working + "/help.html", std::string(std::size_t{512} << 10, 'h'));
    controls.Type(destination);
    const Outcome outcome = Install([&] {
        std::string failure = MountSmallDisk(disk, "256k");
        if (failure.empty()) {
            LayOutEarlierInstall(destination);
        }
        return failure;
    });
    REQUIRE_RUN(outcome);
    ExpectFailureReported(outcome, "Disk full", CopyStep("help.html", destination + "/help.html"),
                          Source(), DesktopTarget());
    ExpectNothingLost(outcome);
    ExpectTreeUnchanged(outcome, destination);
    EXPECT_EQ(outcome.after.at(layout.HandoverFile()).bytes, destination + "\r\n");
}

// The log cannot take a line: nothing handles that, so the runtime's box is the account.
struct LogFault : Row {
    bool atStartUp;
    std::function<std::string(FaultTest&)> make;
    int number;
    const char* description;
};

const LogFault kLogFaults[] = {
    {{"StartUpOnReadOnlyMedium"},
     true,
     [](FaultTest& t) {
         WriteFile(t.working + "/Install.log", "the log of an earlier run\r\n");
         return MakeReadOnly(t.working);
     },
     platform::error::kPermissionDenied,
     "Permission denied"},
    // Followed, the link would let whoever planted it have the log truncate any file.
    {{"StartUpWithALinkAtTheLog"},
     true,
     [](FaultTest& t) {
         WriteFile(t.root / "precious", "someone else's file\r\n");
         std::filesystem::create_symlink(t.root / "precious", t.working + "/Install.log");
         return std::string();
     },
     platform::error::kPathFileAccessError,
     "Path/File access error"},
    {{"InstallWithTheLogMadeReadOnly"},
     false,
     [](FaultTest& t) { return MakeReadOnly(t.working + "/Install.log"); },
     platform::error::kPermissionDenied,
     "Permission denied"},
    // Room for one more line: the next one is cut in the middle.
    {{"InstallWithTheLogAtTheFileSizeLimit"},
     false,
     [](FaultTest& t) {
         const std::string next =
             platform::LocalDateTimeText() + "~Created Install.log Successfully\r\n";
         return LimitFileSize(std::filesystem::file_size(t.working + "/Install.log") + next.size() +
                              10);
     },
     platform::error::kDiskFull,
     "Disk full"},
};

class LogCannotBeWritten : public FaultTest, public ::testing::WithParamInterface<LogFault> {};

TEST_P(LogCannotBeWritten, EndsInTheRuntimesBoxWithNothingHalfDone) {
    const LogFault& fault = GetParam();
    const Fault make = [&] { return fault.make(*this); };
    const Outcome outcome = fault.atStartUp ? StartUp(make) : Install(make);
    REQUIRE_RUN(outcome);
    ExpectRuntimeErrorBox(outcome, fault.number, fault.description, working + "/Install.log");
    ExpectNothingLost(outcome);
    EXPECT_FALSE(outcome.after.contains(layout.HandoverFile()));
    if (!fault.atStartUp) {
        EXPECT_EQ(LogOf(outcome).at(0), "Install Log Initialized");
        EXPECT_THAT(
            LogOf(outcome),
            ::testing::Not(::testing::Contains(::testing::HasSubstr("Error During Setup"))));
    }
}

INSTANTIATE_TEST_SUITE_P(Each, LogCannotBeWritten, ::testing::ValuesIn(kLogFaults), RowName());

// The installer runs as a user whose name cannot be had: a user id without a password entry,
// or one whose name does not fit the 255-character buffer (an entry added to a private copy of
// the password file, mounted over the real one in the child alone).
struct UserFault : Row {
    unsigned uid;
    std::size_t nameLength;  // 0: no entry at all
    unsigned code;
};

const UserFault kUserFaults[] = {
    {{"NoPasswordEntry"}, kUnknownUser, 0, ENOENT},
    {{"NameLongerThanTheBuffer"}, kUnknownUser + 1, 300, ERANGE},
};

std::string BecomeUser(const UserFault& user, const std::string& root) {
    if (user.nameLength > 0) {
        std::string failure = EnterPrivateMounts();
        if (!failure.empty()) {
            return failure;
        }
        const std::string copy = root + "/passwd";
        WriteFile(copy, ReadFile("/etc/passwd") + std::string(user.nameLength, 'u') +
                            ":x:" + std::to_string(user.uid) + ":" + std::to_string(user.uid) +
                            "::/nonexistent:/bin/sh\n");
        if (::mount(copy.c_str(), "/etc/passwd", nullptr, MS_BIND, nullptr) != 0) {
            return std::string("cannot mount a password file: ") + std::strerror(errno);
        }
    }
    std::string failure = GiveToUnknownUser(root, user.uid);
    if (failure.empty() &&
        (::setgroups(0, nullptr) != 0 || ::setresgid(user.uid, user.uid, user.uid) != 0 ||
         ::setresuid(user.uid, user.uid, user.uid) != 0)) {
        failure = std::string("cannot change the user: ") + std::strerror(errno);
    }
    return failure;
}

class UserNameCannotBeHad : public FaultTest, public ::testing::WithParamInterface<UserFault> {};

TEST_P(UserNameCannotBeHad, FailsWithTheSystemCallErrorAndTakesBackTheRecord) {
    const Outcome outcome = Install([&] { return BecomeUser(GetParam(), root.Path()); });
    REQUIRE_RUN(outcome);
    ExpectFailureReported(
        outcome, "A system call returned an error code of " + std::to_string(GetParam().code),
        "Could not get the name of the current user.", Source(), "");
    ExpectNothingLost(outcome);
    EXPECT_FALSE(outcome.after.contains(layout.HandoverFile())) << "no record of a failure";
    EXPECT_FALSE(outcome.after.contains(DesktopTarget()));
}

INSTANTIATE_TEST_SUITE_P(Each, UserNameCannotBeHad, ::testing::ValuesIn(kUserFaults), RowName());

}  // namespace
