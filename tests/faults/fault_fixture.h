#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/installer_fixture.h"
#include "tests/support/launcher_fixture.h"

namespace faults {

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

// One entry of a folder tree: a file's bytes or a link's target, and its mode bits.
struct DiskEntry {
    enum class Kind { File, Folder, Link };
    Kind kind = Kind::File;
    unsigned mode = 0;
    std::string bytes;
};
// Everything under a folder, by full path.
using DiskState = std::map<std::string, DiskEntry>;
DiskState ReadDiskState(const std::string& root);

// What one run of the installer did, as the test sees it afterwards.
struct Outcome {
    std::optional<platform::ExitStatus> ended;  // how the program ended, as both routes must
    std::vector<platform::fakes::ShownMessage> messages;
    DiskState before;
    DiskState after;
    std::string workingFolder;
    std::string destination;  // the destination box's text when the run ended
};

// Makes a path and everything below it belong to another user; returns why it cannot, or "".
inline constexpr unsigned kUnknownUser = 54321;
std::string GiveToUser(const std::string& path, unsigned uid = kUnknownUser);

// An installer with every fixed place in a temporary folder and a profile folder for the user,
// whose whole tree is read before and after each run.
class FaultTest : public testing_support::InstallerTest {
public:
    FaultTest();

    // Start-up, then arrange, then "Begin Install" run as the window runs its handlers.
    Outcome Install(const std::function<void()>& arrange = {});
    // Arrange, then the window's load handler.
    Outcome StartUp(const std::function<void()>& arrange);

    // The 15 files of an earlier installation in folder, with its hand-over file naming it.
    void LayOutEarlierInstall(const std::string& folder) const;

    static std::vector<std::string> LogOf(const Outcome& outcome);
    // The four log lines, and the failure box with step, the line naming what failed and where.
    static void ExpectFailureReported(const Outcome& outcome, const std::string& description,
                                      const std::string& step, const std::string& source,
                                      const std::string& desktopTarget);
    static void ExpectRuntimeErrorBox(const Outcome& outcome, int number, const std::string& place);
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
    using InstallerTest::services;
    using InstallerTest::working;

private:
    Outcome Run(const std::function<void()>& action);
};

}  // namespace faults
