// Built into the tests of both systems: an upgrade over a whole earlier installation, stopped by
// an error or a crash at each single call of the file services it makes, then Setup started once
// more. Afterwards exactly one installation is there, whole: the earlier or the new one.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "launcher/core/launcher_form.h"
#include "platform/platform.h"
#include "record/file_identity.h"
#include "record/install_record.h"
#include "setup/core/installation_files.h"
#include "tests/support/installer_fixture.h"
#include "uninstall/core/uninstaller.h"

#ifdef _WIN32
#include "platform/windows/windows_api.h"
#else
#include <cerrno>
#endif

using Operation = platform::fakes::Operation;
using platform::ExitStatus;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr int kDiskFull = ERROR_DISK_FULL;
#else
constexpr int kDiskFull = ENOSPC;
#endif

using Tree = std::map<std::string, std::string>;

// Version 1 installed with every option, the uninstaller and the window toolkit; the medium then
// holds version 2, and its Setup is started. One scene for each point stopped at.
// Hundreds of installs: on a file system in memory, where there is one, their syncs cost nothing.
// Not under Wine: it shows /dev/shm as a folder every user may change (it does not see the sticky
// bit), where Uninstall rightly refuses the record.
std::string ScratchBase() {
#ifdef _WIN32
    return TextOf(fs::temp_directory_path());
#else
    const std::string memory = "/dev/shm";
    std::error_code failed;
    return fs::is_directory(PathOf(memory), failed) ? memory : TextOf(fs::temp_directory_path());
#endif
}

class Upgrade : public InstallerTest {
public:
    Upgrade() : InstallerTest(ScratchBase()) {
        MakeFolders(Profile());
        for (const auto& place : {DesktopFolder(), StartMenuFolder(), ProgramsFolder()}) {
            MakeFolders(place);
        }
        if (!layout.userPlaces.iconTheme.empty()) {
            MakeFolders(layout.userPlaces.iconTheme);
        }
        nothingInstalled = TreeNow();
        LayOutVersion("1");
        StartSetup();
        EXPECT_EQ(EndStatusOf([this] { form->Command1_Click(); }), ExitStatus::Success);
        earlier = TreeNow();
        earlierEntries = services.UninstallEntries();
        LayOutVersion("2");
        StartSetup();
        armedAt = services.Files().Calls();
    }
    void TestBody() override {}

    static std::string Bytes(const std::string& version, const std::string& name) {
        return "version " + version + " of " + name;
    }

    void LayOutVersion(const std::string& version) const {
        for (const auto name : setup::kInstallationFiles) {
            WriteFile(Joined(working, std::string(name)), Bytes(version, std::string(name)),
                      name.ends_with(".exe") ? 0755 : 0644);
        }
        WriteFile(Joined(working, "Uninstall.exe"), Bytes(version, "Uninstall.exe"), 0755);
#ifndef _WIN32
        const std::string toolkit = Joined(working, "qt-runtime");
        MakeFolders(Joined(toolkit, "platforms"));
        WriteFile(Joined(toolkit, "libQt6Core.so.6"), Bytes(version, "libQt6Core.so.6"));
        WriteFile(Joined(toolkit, "platforms", "libqxcb.so"), Bytes(version, "libqxcb.so"));
#endif
    }

    void StartSetup() {
        services.Files().Clear();
        UseLayout(layout);
        Start();
        controls.Type(Destination());
    }

    // The upgrade, to its end or to the crash.
    void BeginUpgrade() {
        try {
            ended = EndStatusOf([this] { form->Command1_Click(); });
        } catch (const platform::fakes::SimulatedCrash&) {
            ended.reset();
        }
    }

    // The whole test folder but the medium, whose log grows with every run.
    Tree TreeNow() const {
        Tree tree;
        for (const auto& entry : fs::recursive_directory_iterator(root.Path())) {
            const std::string path = entry.path().string();
            if (path != working && !path.starts_with(working + kSeparator)) {
                tree[path] = entry.is_directory() ? "<folder>" : ReadFile(path);
            }
        }
        return tree;
    }

    bool IsEarlierOne() const {
        return TreeNow() == earlier && services.UninstallEntries() == earlierEntries;
    }

    // Every place of the earlier installation there again, each of version 2 where it was of
    // version 1, and the record telling each file as it is. An earlier copy that could not be
    // removed once the new one was whole stays under its temporary name.
    void ExpectNewOneWhole() const {
        Tree now = TreeNow();
        std::erase_if(now, [](const auto& entry) { return IsLeftover(entry.first); });
        ASSERT_EQ(KeysOf(now), KeysOf(earlier));
        for (const auto& [path, bytes] : earlier) {
            if (path == layout.RecordFile() || path.ends_with(".lnk")) {
                continue;
            }
            std::string expected = bytes;
            if (expected.starts_with("version 1 of ")) {
                expected.replace(8, 1, "2");
            }
            EXPECT_EQ(now.at(path), expected) << path;
        }
        platform::SystemFileSystem files;
        const auto record = record::Read(files, layout.RecordFile());
        ASSERT_TRUE(record.has_value());
        for (const auto& file : record->files) {
            EXPECT_EQ(record::StateOf(files, file), record::FileState::AsPlaced) << file.path;
        }
        EXPECT_EQ(services.UninstallEntries().size(), earlierEntries.size());
    }

    // The launcher starts what is there, and Uninstall takes all of it off.
    void ExpectLaunchedAndRemovedCleanly() {
        RecordingServices launching;
        platform::RunHandler(launching, [&] { launcher::Form1(launching, layout).Form_Load(); });
        ASSERT_EQ(launching.Started().size(), 1u) << ::testing::PrintToString(launching.Shown());
        EXPECT_EQ(launching.Started().at(0).programFolder, Destination());
#ifdef _WIN32
        // The launcher holds the folder and the program it checked for as long as it runs: in
        // this process, until it checks another.
        launching.Files().EnterTrustedFolder(working);
        launching.Files().RequireTrustedProgram(working, "Setup.exe");
#endif

        if (HasLeftovers()) {
            return;  // the next install clears them; Uninstall keeps their folders
        }
        services.AnswerQuestions(platform::Answer::Yes);
        EXPECT_EQ(EndStatusOf([this] { uninstall::Uninstaller(services, layout).Run(); }),
                  ExitStatus::Success)
            << ::testing::PrintToString(services.Shown());
        EXPECT_EQ(TreeNow(), nothingInstalled);
    }

    static bool IsLeftover(const std::string& path) {
        return path.find(platform::kPartialFilePrefix) != std::string::npos;
    }
    bool HasLeftovers() const {
        const Tree now = TreeNow();
        return std::any_of(now.begin(), now.end(),
                           [](const auto& entry) { return IsLeftover(entry.first); });
    }

    static std::vector<std::string> KeysOf(const Tree& tree) {
        std::vector<std::string> keys;
        for (const auto& [path, bytes] : tree) {
            keys.push_back(path);
        }
        return keys;
    }

    std::string Destination() const {
        return root / "apps";
    }
    platform::fakes::FaultyFileSystem& Files() {
        return services.Files();
    }
    const std::vector<platform::fakes::ShownMessage>& Messages() const {
        return services.Messages();
    }
    const platform::Layout& Layout() const {
        return layout;
    }

    Tree nothingInstalled;
    Tree earlier;
    std::map<platform::Scope, platform::UninstallEntry> earlierEntries;
    std::size_t armedAt = 0;
    std::optional<ExitStatus> ended;
};

struct Kind {
    Operation operation;
    const char* name;
};
const Kind kKinds[] = {{Operation::Write, "write"}, {Operation::Rename, "rename"},
                       {Operation::Sync, "sync"},   {Operation::CreateFolder, "folder"},
                       {Operation::Copy, "copy"},   {Operation::Remove, "removal"}};

// How many calls of that kind a whole upgrade makes.
int CallsOfAnUpgrade(Operation operation) {
    Upgrade scene;
    scene.BeginUpgrade();
    EXPECT_EQ(scene.ended, ExitStatus::Success);
    return scene.Files().CountOf(operation, scene.armedAt);
}

// After each, one more start of Setup settles what the journal left.
void ExpectOneWholeAfterTheNextStart(Upgrade& scene) {
    scene.StartSetup();
    EXPECT_FALSE(Exists(scene.Layout().JournalFile()));
    if (!scene.IsEarlierOne()) {
        scene.ExpectNewOneWhole();
    }
    scene.ExpectLaunchedAndRemovedCleanly();
}

// Under Wine each file service costs a round trip to its server: there every third call is
// stopped at, here every one.
#ifdef _WIN32
constexpr int kStride = 3;
#else
constexpr int kStride = 1;
#endif

// One kind of call a test, every call of it in turn.
class UpgradeStopped : public ::testing::TestWithParam<Kind> {
protected:
    std::string Point(const char* what, int call) const {
        return std::string(what) + " at " + GetParam().name + " " + std::to_string(call);
    }
};

TEST_P(UpgradeStopped, ByACrashAtAnyCallLeavesOneInstallationWhole) {
    const Operation operation = GetParam().operation;
    const int calls = CallsOfAnUpgrade(operation);
    for (int call = 0; call < calls; call += kStride) {
        SCOPED_TRACE(Point("a crash", call));
        Upgrade scene;
        scene.Files().CrashAt(operation, call);
        scene.BeginUpgrade();
        EXPECT_FALSE(scene.ended.has_value());
        ExpectOneWholeAfterTheNextStart(scene);
    }
}

// The failure box shows only once the earlier installation is back; an error Setup can do
// without still ends in the new one.
TEST_P(UpgradeStopped, ByAnErrorAtAnyCallShowsTheBoxOnlyOverTheEarlierInstallation) {
    const Operation operation = GetParam().operation;
    const int calls = CallsOfAnUpgrade(operation);
    for (int call = 0; call < calls; call += kStride) {
        SCOPED_TRACE(Point("an error", call));
        Upgrade scene;
        scene.Files().FailNext(operation, kDiskFull, call);
        scene.BeginUpgrade();
        ASSERT_TRUE(scene.ended.has_value());
        if (scene.ended == ExitStatus::Failure) {
            EXPECT_EQ(scene.Messages().back().title, "Velmora_KZ 2.0.1 Setup");
            EXPECT_TRUE(scene.IsEarlierOne());
        } else {
            EXPECT_EQ(scene.Messages().back().title, "Finished");
        }
        ExpectOneWholeAfterTheNextStart(scene);
    }
}

// The last change fails, so that every other is taken back; a crash at any call of that undo is
// finished as an undo at the next start.
TEST_P(UpgradeStopped, ByACrashWhileTakingItBackEndsInTheEarlierInstallation) {
    const Operation operation = GetParam().operation;
    const auto failTheRecord = [](Upgrade& scene) {
        scene.Files().FailNext(Operation::Write, kDiskFull, 0, scene.Layout().RecordFile());
    };
    Upgrade counting;
    failTheRecord(counting);
    counting.BeginUpgrade();
    ASSERT_EQ(counting.ended, ExitStatus::Failure);
    const std::size_t failedAt = *counting.Files().StruckAt();
    const int before = counting.Files().CountOf(operation, counting.armedAt, failedAt + 1);
    const int during = counting.Files().CountOf(operation, failedAt + 1);
    for (int call = 0; call < during; call += kStride) {
        SCOPED_TRACE(Point("a crash", call) + " of the undo");
        Upgrade scene;
        failTheRecord(scene);
        scene.Files().CrashAt(operation, before + call);
        scene.BeginUpgrade();
        EXPECT_FALSE(scene.ended.has_value());
        scene.StartSetup();
        EXPECT_TRUE(scene.IsEarlierOne());
        scene.ExpectLaunchedAndRemovedCleanly();
    }
}

INSTANTIATE_TEST_SUITE_P(EachKindOfCall, UpgradeStopped, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

// A sweep that met no call would pass for nothing.
TEST(UpgradeCalls, AreManyOfEachKindThatChanges) {
    for (const Operation operation : {Operation::Write, Operation::Rename, Operation::Sync}) {
        EXPECT_GT(CallsOfAnUpgrade(operation), 5);
    }
}

}  // namespace
