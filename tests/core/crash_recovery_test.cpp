// Built into the tests of both systems.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "launcher/core/launcher_form.h"
#include "platform/testing/faulty_file_system.h"
#include "setup/core/installation_files.h"
#include "tests/support/earlier_install_fixture.h"

using ::testing::ElementsAre;
using Operation = platform::fakes::Operation;
using namespace testing_support;

namespace {

// The install stopped as a kill would stop it: no failure route, nothing put back.
struct CrashPoint {
    const char* name;
    Operation operation;
    int after;
    std::function<std::string(const EarlierInstallTest&)> place;
    bool newInstallWhole;  // the new files were all in place, so the install is finished
};
std::ostream& operator<<(std::ostream& out, const CrashPoint& point) {
    return out << point.name;
}

std::string InD(const EarlierInstallTest& t, const char* name) {
    return Joined(t.destination, name);
}

const CrashPoint kCrashPoints[] = {
    {"WhileTheJournalBegins", Operation::Write, 0,
     [](const EarlierInstallTest& t) { return t.layout.JournalFile(); }, false},
    {"AfterTheHandoverFileIsWritten", Operation::Copy, 0,
     [](const EarlierInstallTest& t) { return t.DesktopTarget(); }, false},
    {"WhileTheFilesAreCopied", Operation::Write, 0,
     [](const EarlierInstallTest& t) { return InD(t, "help.html"); }, false},
    {"WhileAnEntryIsMadeDurable", Operation::Sync, 1,
     [](const EarlierInstallTest& t) { return t.layout.JournalFile(); }, false},
    {"WhileAFileIsSetAside", Operation::Rename, 0,
     [](const EarlierInstallTest& t) { return InD(t, "help.html"); }, false},
    {"WhileAFileIsPutInPlace", Operation::Rename, 1,
     [](const EarlierInstallTest& t) { return InD(t, "help.html"); }, false},
    {"WhileTheLastFileIsPutInPlace", Operation::Rename, 1,
     [](const EarlierInstallTest& t) { return InD(t, "Setup.exe"); }, false},
    // Until the journal says the earlier files may go, a crash takes the new ones back.
    {"WhileTheMovesAreMadeDurable", Operation::Sync, 0,
     [](const EarlierInstallTest& t) { return t.destination; }, false},
    {"WhileTheJournalIsRemoved", Operation::Remove, 0,
     [](const EarlierInstallTest& t) { return t.layout.JournalFile(); }, true},
};

class CrashedInstall : public EarlierInstallTest, public ::testing::WithParamInterface<CrashPoint> {
protected:
    // Setup started again, after the crash.
    void StartAgain() {
        RecordingServices again;
        setup::Form1 next(controls, again, layout);
        controls.Attach(next);
        next.Form_Load();
        controls.Attach(*form);
    }

    std::map<std::string, std::string> NewInstallIn(const std::string& folder) const {
        std::map<std::string, std::string> tree = TreeOf(folder);
        for (const auto name : setup::kInstallationFiles) {
            tree[Joined(folder, std::string(name))] = BytesOf(name);
        }
        return tree;
    }
};

TEST_P(CrashedInstall, IsPutBackOrFinishedAtTheNextStart) {
    const CrashPoint& point = GetParam();
    Start();
    const auto before = TreeOf(destination);
    const auto installed = NewInstallIn(destination);
    services.Files().CrashAt(point.operation, point.after, point.place(*this));
    EXPECT_THROW(form->Command1_Click(), platform::fakes::SimulatedCrash);
    EXPECT_THAT(services.Messages(), ::testing::IsEmpty()) << "a crash shows nothing";

    StartAgain();
    EXPECT_FALSE(Exists(layout.JournalFile()));
    if (point.newInstallWhole) {
        EXPECT_EQ(TreeOf(destination), installed);
        EXPECT_EQ(ReadFile(layout.HandoverFile()), destination + "\r\n");
    } else {
        EXPECT_EQ(TreeOf(destination), before);
        EXPECT_EQ(ReadFile(layout.HandoverFile()), earlierRecord);
    }
}

INSTANTIATE_TEST_SUITE_P(Each, CrashedInstall, ::testing::ValuesIn(kCrashPoints),
                         [](const auto& info) { return std::string(info.param.name); });

// Into a folder the install makes: put back, the hand-over file names the earlier installation
// again, and the new folder is gone.
TEST_F(EarlierInstallTest, CrashIntoANewFolderLeavesTheEarlierInstallationToStart) {
    const std::string fresh = root / "fresh";
    controls.Type(fresh);
    Start();
    services.Files().CrashAt(Operation::Rename, 0, Joined(fresh, "help.html"));
    EXPECT_THROW(form->Command1_Click(), platform::fakes::SimulatedCrash);

    ASSERT_TRUE(Exists(layout.JournalFile()));
    RecordingServices launching;
    EXPECT_TRUE(EndsProgram([&] {
        platform::RunHandler(launching, [&] { launcher::Form1(launching, layout).Form_Load(); });
    }));
    EXPECT_THAT(
        launching.Shown(),
        ElementsAre("Project1|Run-time error '75':\r\n\r\nPath/File access error\r\n" + fresh +
                    " holds an installation that was interrupted: run Setup again"));
    EXPECT_THAT(launching.Started(), ::testing::IsEmpty());

    std::filesystem::current_path(working);  // Setup started again from its medium
    Start();
    EXPECT_EQ(ReadFile(layout.HandoverFile()), earlierRecord);
    EXPECT_FALSE(Exists(fresh)) << "the folder the install made is taken back too";
    EXPECT_EQ(LogTexts(LogPath()).back(), "Restored the Installation That Was Interrupted");
}

// A second Setup finds the first one's lock: it says so and touches nothing of it, not even the
// journal that a crash of the first would need.
TEST_F(EarlierInstallTest, SecondSetupWhileOneInstallsSaysSoAndTouchesNothing) {
    Start();
    const auto held = platform::TryLockFolder(layout.applicationFolder);
    ASSERT_NE(held, nullptr);
    WriteFile(layout.JournalFile(), "the first Setup's journal");
    const auto withJournal = TreeOf(root.Path());

    EXPECT_EQ(EndStatusOf([this] { form->Command1_Click(); }), platform::ExitStatus::Failure);
    EXPECT_THAT(services.Shown(),
                ElementsAre("Velmora_KZ 2.0.1 Setup|Error During Setup: Permission denied\r\n"
                            "Another Setup is installing Velmora_KZ 2.0.1: let it end, then run "
                            "this one again.\r\nSee " +
                            LogPath() + " for details."));
    auto after = TreeOf(root.Path());
    after.erase(LogPath());
    auto expected = withJournal;
    expected.erase(LogPath());
    EXPECT_EQ(after, expected);
}

}  // namespace
