#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/layout.h"
#include "tests/faults/isolated_run.h"
#include "tests/support/installer_fixture.h"
#include "tests/support/launcher_fixture.h"

// Skips when the fault could not be made here, and stops when the run itself broke.
#define REQUIRE_RUN(outcome)               \
    if (!(outcome).notMade.empty()) {      \
        GTEST_SKIP() << (outcome).notMade; \
    }                                      \
    ASSERT_TRUE((outcome).broken.empty()) << (outcome).broken

namespace faults {

// Makes a fault; returns why it cannot be made here, or an empty string.
using Fault = std::function<std::string()>;

// A row of a fault table, known by its name in test names and messages.
struct Row {
    const char* name;
};
inline std::ostream& operator<<(std::ostream& out, const Row& row) {
    return out << row.name;
}
struct RowName {
    template <typename Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& info) const {
        return info.param.name;
    }
};

// Makes path unwritable for everyone, root included: a read-only mount as root (which needs
// EnterPrivateMounts, so only in a child), else its mode bits.
std::string MakeReadOnly(const std::string& path);
// Mounts a tmpfs of the given size ("256k") on folder, in a private mount namespace.
std::string MountSmallDisk(const std::string& folder, const std::string& size);
// Lowers the largest file this process may write.
std::string LimitFileSize(std::size_t bytes);
// Makes a path and everything below it belong to a user id without a password entry.
inline constexpr unsigned kUnknownUser = 54321;
std::string GiveToUnknownUser(const std::string& path, unsigned uid = kUnknownUser);

// Runs the launcher's load handler as its window does; true if the program ended, which it
// does only through the runtime's error box.
bool Launch(const platform::Layout& layout);

// An installer with every fixed place in a temporary folder and a profile folder for the user.
// Each run happens in a forked child; the test then checks the outcome the child reports.
class FaultTest : public testing_support::InstallerTest {
public:
    FaultTest();

    // Start-up, then the fault, then "Begin Install" run as the window runs its handlers.
    Outcome Install(const Fault& fault = {});
    // The fault, then the window's load handler.
    Outcome StartUp(const Fault& fault);

    // The 15 files of an earlier installation in folder, with its hand-over file naming it.
    void LayOutEarlierInstall(const std::string& folder) const;

    static std::vector<std::string> LogOf(const Outcome& outcome);
    // The four log lines, and the failure box with step, the line naming what failed and where.
    void ExpectFailureReported(const Outcome& outcome, const std::string& description,
                               const std::string& step, const std::string& source,
                               const std::string& desktopTarget) const;
    static void ExpectRuntimeErrorBox(const Outcome& outcome, int number,
                                      const std::string& description, const std::string& place);
    // Everything under folder is as it was before the run, entry for entry and byte for byte.
    static void ExpectTreeUnchanged(const Outcome& outcome, const std::string& folder);
    // "Could not copy source to destination."
    static std::string CopyStep(const std::string& source, const std::string& destination) {
        return "Could not copy " + source + " to " + destination + ".";
    }
    // Every file there before is still there, with its bytes or replaced whole by what the
    // installer writes in its place, and no temporary file is left behind.
    static void ExpectNothingLost(const Outcome& outcome);

    std::string Source() const { return working + "/Velmora_KZ.2.0.1.exe"; }
    std::string DesktopTarget() const { return Profile() + "/Desktop/Velmora_KZ.2.0.1.exe"; }

    // For the fault tables' functions.
    using InstallerTest::controls;
    using InstallerTest::layout;
    using InstallerTest::Profile;
    using InstallerTest::root;
    using InstallerTest::working;

private:
    Outcome Run(const Fault& fault, const std::function<void()>& action);
};

// The launcher's tests here see its boxes as "title|text".
class LaunchTest : public testing_support::LauncherTest {
public:
    bool Launch() const { return faults::Launch(layout); }
    std::vector<std::string> ShownMessages() const { return Shown(harness.Messages()); }
};

}  // namespace faults
