// Built into the tests of both systems.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

#include "launcher/core/launcher_form.h"
#include "platform/paths.h"
#include "platform/testing/faulty_file_system.h"
#include "record/checksum.h"
#include "record/text_lines.h"
#include "setup/core/install_journal.h"
#include "setup/core/installation_files.h"
#include "tests/support/earlier_install_fixture.h"

#ifdef _WIN32
#include "platform/windows/windows_api.h"
#else
#include <cerrno>
#endif

using ::testing::ElementsAre;
using ::testing::HasSubstr;
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

    EXPECT_EQ(EndStatusOf([this] { form->Command1_Click(); }),
              platform::ExitStatus::AnotherRunning);
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

// What the journal says comes back as it was said, whatever bytes its paths hold; a last entry a
// crash cut short is left out; anything else not as Setup wrote it is refused by its line.
TEST(JournalText, ReadsBackWhatWasWrittenAndRefusesAnyOtherChange) {
    const std::string folder = Joined("C:", "a %b", "c\r\nd");
    const std::string file = Joined(folder, "Velmora_KZ.jar");
    const std::string kept = platform::SiblingOf(file, ".Velmora_KZ-partial-a1B2c3");
    const std::string made = platform::SiblingOf(file, ".Velmora_KZ-partial-d4E5f6");
    const setup::Journal journal{
        .destination = folder,
        .phase = setup::Phase::Forgetting,
        .changes = {
            {.kind = setup::Change::Kind::Folder, .path = folder},
            {.kind = setup::Change::Kind::File, .path = file, .temporary = made},
            {.kind = setup::Change::Kind::Tree, .path = file, .temporary = made, .aside = kept},
            {.kind = setup::Change::Kind::UninstallEntry,
             .scope = platform::Scope::Everyone,
             .earlierEntry =
                 platform::UninstallEntry{"D:\\My Apps", "\"C:\\U.exe\"", "", 42, "20250101"}},
            {.kind = setup::Change::Kind::UninstallEntry}}};
    const std::string text = setup::FormatJournal(journal);
    EXPECT_EQ(setup::ParseJournal(text), journal);
    EXPECT_EQ(setup::ParseJournal(text + "0123456789abcdef phase und"), journal)
        << "a last line cut short";

    const auto lineOf = [](const std::string& bytes) {
        try {
            setup::ParseJournal(bytes);
        } catch (const platform::RuntimeError& error) {
            return error.Place();
        }
        return std::string("read");
    };
    std::string changed = text;
    changed[changed.find("Velmora_KZ.jar")] = 'v';
    EXPECT_EQ(lineOf(changed), "line 5") << "a changed byte";
    // Summed as Setup sums, but naming what lies elsewhere than beside its change's place.
    const auto summed = [](const std::vector<std::string>& texts) {
        std::string bytes;
        std::uint64_t chain = 0;
        for (const auto& line : texts) {
            chain = record::Checksum(line, chain);
            bytes += record::Hex64(chain) + " " + line + "\r\n";
        }
        return bytes;
    };
    const std::string heading = "Velmora_KZ 2.0.1 install journal 2";
    for (const std::string& name :
         {std::string("..%2F.Velmora_KZ-partial-a1B2c3"),
          std::string(".Velmora_KZ-partial-x%2F..%2F..%2Fy"), std::string("readme.txt")}) {
        EXPECT_EQ(lineOf(summed(
                      {heading, "phase doing", "file " + name + " - " + record::Escaped(file)})),
                  "line 3")
            << name;
    }
    EXPECT_EQ(lineOf(text.substr(text.find("\r\n") + 2)), "line 1") << "no heading";
    EXPECT_EQ(lineOf(""), "line 1");
}

// A journal that fails its sums is not acted on: the box names it, and the interrupted install's
// copies stay where it left them.
TEST_F(EarlierInstallTest, DamagedJournalIsNamedAndNothingIsRemoved) {
    Start();
    services.Files().CrashAt(Operation::Rename, 0, Joined(destination, "help.html"));
    EXPECT_THROW(form->Command1_Click(), platform::fakes::SimulatedCrash);
    std::string journal = ReadFile(layout.JournalFile());
    journal[journal.find("help.html")] = 'H';
    WriteFile(layout.JournalFile(), journal);
    EXPECT_THAT(RefusedRecoveryBox(),
                HasSubstr("The install journal " + layout.JournalFile() + ", line "));
}

// A journal whoever else can change, or in a folder they can change, could name any file to
// rename or remove: neither the next start nor "Begin Install" acts on it, and the box says who.
struct UntrustedJournal {
    const char* name;
    std::function<void(EarlierInstallTest&)> arrange;
    std::function<std::string(const EarlierInstallTest&)> said;
};
std::ostream& operator<<(std::ostream& out, const UntrustedJournal& row) {
    return out << row.name;
}

#ifndef _WIN32
std::string AboveTheJournal(const EarlierInstallTest& t) {
    return fs::path(t.layout.applicationFolder).parent_path().string();
}
#endif

const UntrustedJournal kUntrustedJournals[] = {
    {"OfAnotherUser",
     [](EarlierInstallTest& t) { t.services.Files().OwnedByAnotherUser(t.layout.JournalFile()); },
     [](const EarlierInstallTest& t) {
         return "The install journal " + t.layout.JournalFile() +
                " was not used: it can be changed by its owner, another user, who could have "
                "made it name any file. Setup changed nothing. Once nobody but its owner can "
                "change " +
                t.layout.JournalFile() + ", run Setup again.";
     }},
#ifndef _WIN32
    {"EveryoneCanWrite",
     [](EarlierInstallTest& t) {
         fs::permissions(t.layout.JournalFile(), static_cast<fs::perms>(0666));
     },
     [](const EarlierInstallTest& t) {
         return "The install journal " + t.layout.JournalFile() +
                " was not used: it can be changed by every user of this computer";
     }},
    // Shared as /tmp is, but without the sticky bit that keeps others from renaming what is ours.
    {"InAFolderEveryoneCanWrite",
     [](EarlierInstallTest& t) {
         fs::permissions(AboveTheJournal(t), static_cast<fs::perms>(0777));
     },
     [](const EarlierInstallTest& t) {
         return "The install journal " + t.layout.JournalFile() +
                " was not used: " + AboveTheJournal(t) +
                " can be changed by every user of this computer";
     }},
#endif
};

class JournalOthersCanChange : public EarlierInstallTest,
                               public ::testing::WithParamInterface<UntrustedJournal> {};

TEST_P(JournalOthersCanChange, IsNotActedOnAndTheBoxSaysWhoCanChangeIt) {
    const UntrustedJournal& row = GetParam();
    Start();
    services.Files().CrashAt(Operation::Rename, 0, Joined(destination, "help.html"));
    EXPECT_THROW(form->Command1_Click(), platform::fakes::SimulatedCrash);
    ASSERT_TRUE(Exists(layout.JournalFile()));
    const auto before = TreeOf(root.Path());
    row.arrange(*this);

    UseLayout(layout);
    Start();
    EXPECT_EQ(EndStatusOf([this] { form->Command1_Click(); }), platform::ExitStatus::Failure);
    auto after = TreeOf(root.Path());
    after.erase(LogPath());
    auto expected = before;
    expected.erase(LogPath());
    EXPECT_EQ(after, expected);
    EXPECT_THAT(services.Messages().back().text, HasSubstr(row.said(*this)));
}

INSTANTIATE_TEST_SUITE_P(Each, JournalOthersCanChange, ::testing::ValuesIn(kUntrustedJournals),
                         [](const auto& info) { return std::string(info.param.name); });

// A journal naming a place the install does not own, or one it would reach through a link, is not
// acted on: the box names its line and why, and the user's file there keeps its bytes. Each undo
// would put what lies aside over the path.
TEST_F(EarlierInstallTest, JournalNamingAPlaceOutsideIsRefusedByItsLine) {
    const std::string elsewhere = root / "elsewhere";
    MakeFolders(elsewhere);
    const std::string linked = Joined(destination, "linked");
    std::error_code failed;
    fs::create_directory_symlink(elsewhere, linked, failed);
    struct Hostile {
        std::string path;
        std::string why;
        std::string kept = {};  // a kept file of the user's that the undo would bring to path
    };
    std::vector<Hostile> hostile = {
        {root / "victim.gif", ", which lies outside the folders this installation owns"},
        {Joined(destination, "..", "victim.gif"),
         ", which lies outside the folders this installation owns"},
        {Joined(destination, "help.html"),
         ", which lies outside the folders this installation owns", root / "victim.gif"},
    };
    if (!failed) {
        hostile.push_back(
            {Joined(linked, "victim.gif"), ", which Setup would reach through " + linked +
                                               ", a link now where it made a folder"});
        // Its spelling says D, but the system climbs out of where the link leads.
        hostile.push_back(
            {Joined(linked, "..", "victim.gif"),
             ", which climbs out of " + linked + ", a link, to elsewhere than its name says"});
    }
    for (const Hostile& row : hostile) {
        SCOPED_TRACE(row.path);
        WriteFile(root / "victim.gif", "the user's picture");
        WriteFile(Joined(elsewhere, "victim.gif"), "the user's other picture");
        const std::string aside = row.kept.empty()
                                      ? platform::SiblingOf(row.path, ".Velmora_KZ-partial-aside1")
                                      : row.kept;
        WriteFile(aside, "what would replace it");
        const setup::Change change =
            row.kept.empty()
                ? setup::Change{.kind = setup::Change::Kind::File,
                                .path = row.path,
                                .temporary =
                                    platform::SiblingOf(row.path, ".Velmora_KZ-partial-temp01"),
                                .aside = aside}
                : setup::Change{
                      .kind = setup::Change::Kind::Kept, .path = row.path, .aside = aside};
        const setup::Journal journal{
            .destination = destination, .phase = setup::Phase::Undoing, .changes = {change}};
        WriteFile(layout.JournalFile(), setup::FormatJournal(journal));
        const std::string box = RefusedRecoveryBox();
        EXPECT_THAT(box, HasSubstr("The install journal " + layout.JournalFile() + ", line "));
        EXPECT_THAT(box, HasSubstr(" names " + (row.kept.empty() ? row.path : row.kept) + row.why +
                                   ". Setup changed nothing"));
        RemoveTree(aside);
    }
}

// What cannot be put back stays where the box says, with the journal; the next start puts it back.
TEST_F(EarlierInstallTest, UndoThatCannotPutAFileBackNamesWhereItIsKept) {
    Start();
    const auto before = TreeOf(destination);
    const std::string readme = Joined(destination, "readme.txt");
    services.Files().FailNext(Operation::Write, kDiskFull, 0, layout.RecordFile());
    // Moved aside and replaced by the install; the third move there is the undo's.
    services.Files().FailNext(Operation::Rename, kAccessDenied, 2, readme);
    ASSERT_TRUE(BeginInstall());

    ASSERT_TRUE(Exists(layout.JournalFile()));
    const std::string box = services.Messages().back().text;
    const std::string kept = "The earlier " + readme + " is kept as ";
    ASSERT_THAT(box, HasSubstr(kept));
    const std::string aside =
        box.substr(box.find(kept) + kept.size(),
                   box.find(".\r\n", box.find(kept)) - box.find(kept) - kept.size());
    EXPECT_EQ(ReadFile(aside), "earlier readme.txt");
    EXPECT_THAT(box, HasSubstr("Setup keeps " + layout.JournalFile()));

    UseLayout(layout);
    Start();
    EXPECT_FALSE(Exists(layout.JournalFile()));
    EXPECT_EQ(TreeOf(destination), before);
    EXPECT_EQ(ReadFile(layout.HandoverFile()), earlierRecord);
}

// The journal an earlier build of this Setup left when it was killed halfway through its moves,
// and one it left with every new file in: each is recovered as that build recovered it, and one
// naming a place outside the install is not acted on.
TEST_F(EarlierInstallTest, JournalOfAnEarlierBuildIsRecoveredItsWay) {
    const std::string help = Joined(destination, "help.html");
    const std::string aside = Joined(destination, ".Velmora_KZ-partial-aside1");
    const std::string temporary = Joined(destination, ".Velmora_KZ-partial-temp01");
    const auto field = [](const std::string& text) {
        return std::to_string(text.size()) + ":" + text;
    };
    const std::string journal = "Velmora_KZ 2.0.1 install journal\ndestination " +
                                field(destination) + "\nearlier " + field(earlierRecord) +
                                "\nfile " + field(help) + field(temporary) + field(aside) + "\n";
    const auto before = TreeOf(destination);
    for (const bool everyNewFileIn : {false, true}) {
        SCOPED_TRACE(everyNewFileIn ? "every new file in" : "halfway");
        fs::rename(PathOf(help), PathOf(aside));
        if (everyNewFileIn) {
            WriteFile(help, "the new help.html");
        } else {
            WriteFile(temporary, "the new help.html");
        }
        WriteFile(layout.HandoverFile(), destination + "\r\n");
        WriteFile(layout.JournalFile(), journal);
        UseLayout(layout);
        Start();
        EXPECT_FALSE(Exists(layout.JournalFile()));
        EXPECT_FALSE(Exists(aside));
        EXPECT_FALSE(Exists(temporary));
        EXPECT_EQ(LogTexts(LogPath()).back(),
                  everyNewFileIn ? "Completed the Installation That Was Interrupted"
                                 : "Restored the Installation That Was Interrupted");
        EXPECT_EQ(ReadFile(help), everyNewFileIn ? "the new help.html" : "earlier help.html");
        EXPECT_EQ(ReadFile(layout.HandoverFile()),
                  everyNewFileIn ? destination + "\r\n" : earlierRecord);
        if (!everyNewFileIn) {
            EXPECT_EQ(TreeOf(destination), before);
        }
    }

    // Its way would move what lies aside over the new file: not the user's file from outside.
    const std::string victim = root / "victim.gif";
    WriteFile(victim, "the user's picture");
    WriteFile(layout.JournalFile(), "Velmora_KZ 2.0.1 install journal\ndestination " +
                                        field(destination) + "\nearlier none\nfile " + field(help) +
                                        field(temporary) + field(victim) + "\n");
    EXPECT_THAT(RefusedRecoveryBox(),
                HasSubstr("The install journal " + layout.JournalFile() + " names " + victim +
                          ", which lies outside the folders this installation owns"));
}

}  // namespace
