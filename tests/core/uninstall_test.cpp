// Built into the tests of both systems: installs through the installer's own code, then takes the
// install off through the uninstaller's, every fixed place rooted in a temporary folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/forwarding_services.h"
#include "platform/uninstall_entry.h"
#include "record/install_record.h"
#include "setup/core/installation_files.h"
#include "tests/support/installer_fixture.h"
#include "uninstall/core/uninstall_command_line.h"
#include "uninstall/core/uninstaller.h"

#ifdef _WIN32
#include "platform/windows/windows_api.h"
#else
#include <cerrno>
#endif

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using Operation = platform::fakes::Operation;
using platform::ExitStatus;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr int kAccessDenied = ERROR_ACCESS_DENIED;
#else
constexpr int kAccessDenied = EACCES;
#endif

// Everything under a folder: a file's bytes, or "<folder>".
using Tree = std::map<std::string, std::string>;

class UninstallTest : public InstallerTest {
public:
    UninstallTest() {
        MakeFolders(Profile());
        // A desktop as people have it: its menus and folders there before any install.
        for (const auto& place : {DesktopFolder(), StartMenuFolder(), ProgramsFolder()}) {
            MakeFolders(place);
        }
        if (!layout.userPlaces.iconTheme.empty()) {
            MakeFolders(layout.userPlaces.iconTheme);
        }
        WriteFile(Joined(working, "Uninstall.exe"), BytesOf("Uninstall.exe"), 0755);
    }

    // The whole test folder but the medium, whose log grows with every run.
    Tree TreeNow() const {
        Tree tree;
        for (const auto& entry : fs::recursive_directory_iterator(root.Path())) {
            const std::string path = entry.path().string();
            if (path == working || path.starts_with(working + kSeparator)) {
                continue;
            }
            tree[path] = entry.is_directory() ? "<folder>" : ReadFile(path);
        }
        return tree;
    }

    void Install(const std::string& destination) {
        UseLayout(layout);
        Start();
        controls.Type(destination);
        ASSERT_EQ(EndStatusOf([this] { form->Command1_Click(); }), ExitStatus::Success);
        ASSERT_EQ(services.Messages().back().title, "Finished") << services.Messages().back().text;
    }

    std::optional<ExitStatus> Uninstall(platform::Answer answer = platform::Answer::Yes) {
        services.AnswerQuestions(answer);
        const std::size_t boxes = services.Messages().size();
        const auto status = EndStatusOf([this] { uninstall::Uninstaller(services, layout).Run(); });
        box = services.Messages().size() > boxes ? services.Messages().back().text : "<no box>";
        return status;
    }

    // A file the user writes, which must be there afterwards with the folders that hold it.
    void UserWrites(const std::string& path, const std::string& bytes) {
        WriteFile(path, bytes);
        userMade[path] = bytes;
        for (fs::path folder = fs::path(path).parent_path(); folder.string() != root.Path();
             folder = folder.parent_path()) {
            userMade[folder.string()] = "<folder>";
        }
    }

    std::string Destination() const { return root / "apps"; }
    std::string RecordFile() const { return layout.RecordFile(); }

    using InstallerTest::layout;
    using InstallerTest::Profile;
    using InstallerTest::root;
    using InstallerTest::services;
    using InstallerTest::working;

    // A copy of an installed file at path, with its time: only where it lies tells them apart.
    void UserCopies(const std::string& installed, const std::string& path) {
        UserWrites(path, ReadFile(installed));
        CopyTime(installed, path);
    }

    // A line for path added to the record, as another hand than Setup's would add it: a copy
    // of the line of D's readme.txt (so its facts fit a copy of that file) or a folder line.
    void ForgeRecordLine(const std::string& keyword, const std::string& path) {
        std::string text = ReadFile(RecordFile());
        std::string line = "folder " + path;
        if (keyword == "file") {
            const std::string readme = Joined(Destination(), "readme.txt");
            const auto end = text.find(readme + "\r\n");
            const auto start = text.rfind("\r\n", end) + 2;
            line = text.substr(start, end - start) + path;
        }
        const auto endLine = text.rfind("end\r\n");  // the forged line goes before the end
        WriteFile(RecordFile(), text.substr(0, endLine) + line + "\r\n" + text.substr(endLine));
    }

    // A folder the install made, moved to where it now leads, with a link in its place.
    void ReplaceByLink(const std::string& folder, const std::string& leadsTo) {
        MakeFolders(leadsTo);
        for (const auto& entry : fs::directory_iterator(folder)) {
            UserCopies(entry.path().string(), Joined(leadsTo, entry.path().filename().string()));
        }
        RemoveTree(folder);
        std::error_code failed;
        fs::create_directory_symlink(leadsTo, folder, failed);
        if (failed) {
            GTEST_SKIP() << "this system makes no link here: " << failed.message();
        }
        // The link stays, and so do the folders that hold it.
        for (fs::path held = folder; held.string() != root.Path(); held = held.parent_path()) {
            userMade[held.string()] = "<folder>";
        }
    }

    // The line of the record, as it was before the uninstall, that names path.
    std::string LineNaming(const std::string& path) const {
        std::size_t number = 1;
        for (std::size_t start = 0; start < recordText.size(); ++number) {
            const std::size_t end = recordText.find("\r\n", start);
            if (recordText.substr(start, end - start).ends_with(" " + path)) {
                return RecordFile() + ", line " + std::to_string(number);
            }
            start = end + 2;
        }
        return "<no line names " + path + ">";
    }
    std::string KeptOutside(const std::string& path) const {
        return path + ": not removed, as it lies outside the folders this installation owns. " +
               LineNaming(path) +
               " names it: Setup never writes such a line, so check who changed that file";
    }
    std::string KeptThroughLink(const std::string& path, const std::string& link) const {
        return path + ": not removed, as " + link +
               " is a link now where Setup made a folder or file, and what it leads to is not "
               "this installation's. " +
               LineNaming(path) + " names it; remove the link yourself if you do not want it";
    }

    Tree before;
    Tree userMade;
    std::string recordText;  // as the uninstall found it
    std::string box;
    std::unique_ptr<platform::FolderLock> heldLock;
};

struct UninstallCase {
    const char* name;
    std::function<std::vector<std::string>(UninstallTest&)> destinations;
    std::function<void(UninstallTest&)> userChanges;  // between the install and the uninstall
    // The box's lines after "Kept:", each a place and why.
    std::function<std::vector<std::string>(UninstallTest&)> kept;
};
std::ostream& operator<<(std::ostream& out, const UninstallCase& row) {
    return out << row.name;
}

std::vector<std::string> IntoApps(UninstallTest& t) {
    return {t.Destination()};
}
std::vector<std::string> NothingKept(UninstallTest& /*t*/) {
    return {};
}

const UninstallCase kUninstallCases[] = {
    {"InstallThenUninstallLeavesNothing", IntoApps, [](UninstallTest&) {}, NothingKept},
    {"TheUsersFileAndChangedFileStay", IntoApps,
     [](UninstallTest& t) {
         t.UserWrites(Joined(t.Destination(), "notes.txt"), "the user's own notes");
         t.UserWrites(Joined(t.Destination(), "readme.txt"), "rewritten by the user");
     },
     [](UninstallTest& t) {
         return std::vector<std::string>{
             Joined(t.Destination(), "readme.txt") + ": changed since it was installed",
             t.Destination() + ": not empty, it holds notes.txt, readme.txt"};
     }},
    // Same size, same time: only the contents' hash tells.
    {"AFileChangedInPlaceStays", IntoApps,
     [](UninstallTest& t) {
         const std::string path = Joined(t.Destination(), "readme.txt");
         KeepingItsTime(path, [&] {
             std::string bytes = ReadFile(path);
             bytes[0] = bytes[0] == 'X' ? 'Y' : 'X';
             t.UserWrites(path, bytes);
         });
     },
     [](UninstallTest& t) {
         return std::vector<std::string>{
             Joined(t.Destination(), "readme.txt") + ": changed since it was installed",
             t.Destination() + ": not empty, it holds readme.txt"};
     }},
    // Larger than the first record format hashed: still known by its bytes.
    {"ABigFileChangedInPlaceWithItsTimePutBackStays",
     [](UninstallTest& t) {
         WriteFile(Joined(t.working, "Velmora_KZ.jar"),
                   std::string((std::size_t{1} << 20) + 1, 'j'));
         return IntoApps(t);
     },
     [](UninstallTest& t) {
         const std::string path = Joined(t.Destination(), "Velmora_KZ.jar");
         KeepingItsTime(path, [&] {
             std::string bytes = ReadFile(path);
             bytes[bytes.size() / 2] = 'k';
             t.UserWrites(path, bytes);
         });
     },
     [](UninstallTest& t) {
         return std::vector<std::string>{
             Joined(t.Destination(), "Velmora_KZ.jar") + ": changed since it was installed",
             t.Destination() + ": not empty, it holds Velmora_KZ.jar"};
     }},
    // Installed into a folder that holds the user's files: only what the install placed goes,
    // and the user's own files it replaced come back to their places.
    {"IntoTheHomeFolderOnlyTheRecordedFilesGoAndTheUsersOwnComeBack",
     [](UninstallTest& t) {
         WriteFile(Joined(t.Profile(), "letter.txt"), "the user's letter");
         WriteFile(Joined(t.Profile(), "readme.txt"), "the user's own readme, replaced");
         WriteFile(Joined(t.Profile(), "Velmora_KZ.jar"), "the user's own jar, replaced");
         return std::vector<std::string>{t.Profile()};
     },
     [](UninstallTest& t) {
         EXPECT_EQ(ReadFile(Joined(t.layout.applicationFolder, "Kept files", "readme.txt")),
                   "the user's own readme, replaced");
     },
     NothingKept},
    // The user's file again where the install's was: neither is taken, the kept one is named.
    {"AKeptFileWhosePlaceIsTakenAgainIsNamed",
     [](UninstallTest& t) {
         WriteFile(Joined(t.Profile(), "readme.txt"), "the user's own readme, replaced");
         return std::vector<std::string>{t.Profile()};
     },
     [](UninstallTest& t) {
         t.UserWrites(Joined(t.Profile(), "readme.txt"), "written again by the user");
         t.before.erase(Joined(t.Profile(), "readme.txt"));
         t.userMade[Joined(t.layout.applicationFolder, "Kept files", "readme.txt")] =
             "the user's own readme, replaced";
         t.userMade[Joined(t.layout.applicationFolder, "Kept files")] = "<folder>";
         t.userMade[t.layout.applicationFolder] = "<folder>";
     },
     [](UninstallTest& t) {
         const std::string kept = Joined(t.layout.applicationFolder, "Kept files");
         return std::vector<std::string>{
             Joined(t.Profile(), "readme.txt") + ": changed since it was installed",
             Joined(kept, "readme.txt") + ": your own " + Joined(t.Profile(), "readme.txt") +
                 ", kept by the install: a file of that name stands in its place again",
             kept + ": not empty, it holds readme.txt",
             t.layout.applicationFolder + ": not empty, it holds Kept files"};
     }},
    {"TwoInstallsBothGo",
     [](UninstallTest& t) {
         return std::vector<std::string>{t.Destination(), t.root / "second"};
     },
     [](UninstallTest&) {}, NothingKept},
    // The hand-over file names an install the record does not know: not this record's to take.
    {"AHandoverFileNamingAnotherInstallStays", IntoApps,
     [](UninstallTest& t) { t.UserWrites(t.layout.HandoverFile(), t.root / "elsewhere" + "\r\n"); },
     [](UninstallTest& t) {
         return std::vector<std::string>{t.layout.applicationFolder +
                                         ": not empty, it holds Start_up.txt"};
     }},
    // Already gone, by the user's hand or another removal's: settled, not a failure.
    {"AFileAlreadyGoneIsSettled", IntoApps,
     [](UninstallTest& t) { RemoveTree(Joined(t.Destination(), "readme.txt")); }, NothingKept},

    // Hostile records: lines another hand added, naming places the install does not own. Each
    // file there is a copy of an installed one, with its time, so that only where it lies
    // keeps it.
    {"ARecordLineNamingAFileOutsideKeepsIt", IntoApps,
     [](UninstallTest& t) {
         t.UserCopies(Joined(t.Destination(), "readme.txt"), Joined(t.Profile(), "victim.gif"));
         t.ForgeRecordLine("file", Joined(t.Profile(), "victim.gif"));
     },
     [](UninstallTest& t) {
         return std::vector<std::string>{t.KeptOutside(Joined(t.Profile(), "victim.gif"))};
     }},
    {"ARecordLineClimbingOutOfTheInstallFolderKeepsIt", IntoApps,
     [](UninstallTest& t) {
         t.UserCopies(Joined(t.Destination(), "readme.txt"), t.root / "victim2.gif");
         t.ForgeRecordLine("file", Joined(t.Destination(), "..", "victim2.gif"));
     },
     [](UninstallTest& t) {
         return std::vector<std::string>{
             t.KeptOutside(Joined(t.Destination(), "..", "victim2.gif"))};
     }},
    {"ARecordLineNamingAFolderOutsideKeepsIt", IntoApps,
     [](UninstallTest& t) {
         MakeFolders(Joined(t.Profile(), "Projects"));
         t.userMade[Joined(t.Profile(), "Projects")] = "<folder>";
         t.ForgeRecordLine("folder", Joined(t.Profile(), "Projects"));
     },
     [](UninstallTest& t) {
         return std::vector<std::string>{t.KeptOutside(Joined(t.Profile(), "Projects"))};
     }},
    // The install folder Setup made, now a link to the user's copy of it: every file stays.
    {"AFolderItMadeReplacedByALinkKeepsWhatItLeadsTo", IntoApps,
     [](UninstallTest& t) { t.ReplaceByLink(t.Destination(), t.root / "users-copy"); },
     [](UninstallTest& t) {
         std::vector<std::string> kept;
         for (const auto name : setup::kInstallationFiles) {
             kept.push_back(
                 t.KeptThroughLink(Joined(t.Destination(), std::string(name)), t.Destination()));
         }
         kept.push_back(t.KeptThroughLink(t.Destination(), t.Destination()));
         return kept;
     }},
#ifndef _WIN32
    // Two levels down, in a place of the desktop's: the icon's size folder Setup made.
    {"AnIconFolderItMadeReplacedByALinkKeepsWhatItLeadsTo", IntoApps,
     [](UninstallTest& t) {
         const std::string apps = Joined(t.layout.userPlaces.iconTheme, "48x48", "apps");
         t.ReplaceByLink(apps, Joined(t.Profile(), "my-icons"));
     },
     [](UninstallTest& t) {
         const std::string size = Joined(t.layout.userPlaces.iconTheme, "48x48");
         const std::string apps = Joined(size, "apps");
         return std::vector<std::string>{t.KeptThroughLink(Joined(apps, "Velmora_KZ.png"), apps),
                                         t.KeptThroughLink(apps, apps),
                                         size + ": not empty, it holds apps"};
     }},
#endif
};

class UninstallAfterInstall : public UninstallTest,
                              public ::testing::WithParamInterface<UninstallCase> {};

TEST_P(UninstallAfterInstall, RemovesWhatTheInstallsMadeAndNothingElse) {
    const UninstallCase& row = GetParam();
    const std::vector<std::string> destinations = row.destinations(*this);
    before = TreeNow();
    for (const auto& destination : destinations) {
        Install(destination);
    }
    row.userChanges(*this);
    if (IsSkipped()) {
        return;
    }
    recordText = ReadFile(RecordFile());
    ASSERT_EQ(Uninstall(), ExitStatus::Success) << box;

    Tree expected = before;
    expected.insert(userMade.begin(), userMade.end());
    for (const auto& [path, bytes] : userMade) {
        expected[path] = bytes;
    }
    EXPECT_EQ(TreeNow(), expected);
    ASSERT_EQ(services.Questions().size(), 1u);
    for (const auto& destination : destinations) {
        EXPECT_THAT(services.Questions()[0].text, HasSubstr("\r\n" + destination + "\r\n"));
    }
    const std::vector<std::string> kept = row.kept(*this);
    const auto keptAt = box.find("\r\n\r\nKept:\r\n");
    EXPECT_EQ(keptAt == std::string::npos, kept.empty()) << box;
    std::string lines;
    for (const auto& line : kept) {
        lines += "\r\n" + line;
    }
    if (!kept.empty()) {
        EXPECT_EQ(box.substr(keptAt + 9), lines);
    }
    EXPECT_THAT(box, ::testing::StartsWith("Velmora_KZ 2.0.1 has been removed: "));
    EXPECT_TRUE(services.UninstallEntries().empty());
    if (std::string(row.name).ends_with("TheUsersOwnComeBack")) {
        EXPECT_THAT(box, HasSubstr(" Put back in their places: 2 files of yours."));
    }
}

INSTANTIATE_TEST_SUITE_P(Each, UninstallAfterInstall, ::testing::ValuesIn(kUninstallCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The ways an uninstall ends without touching anything.
struct RefusalCase {
    const char* name;
    std::function<void(UninstallTest&)> arrange;  // after the install
    platform::Answer answer;
    std::function<std::string(UninstallTest&)> box;  // its start; "" for none
    ExitStatus status;
};
std::ostream& operator<<(std::ostream& out, const RefusalCase& row) {
    return out << row.name;
}

const RefusalCase kRefusals[] = {
    {"TheUserSaysNo", [](UninstallTest&) {}, platform::Answer::No,
     [](UninstallTest&) { return std::string(); }, ExitStatus::Declined},
    {"TheApplicationRuns",
     [](UninstallTest& t) { t.services.SetRunning(Joined(t.Destination(), "Velmora_KZ.exe")); },
     platform::Answer::Yes,
     [](UninstallTest& t) {
         return "Velmora_KZ 2.0.1 is running from " + t.Destination() + " (" +
                Joined(t.Destination(), "Velmora_KZ.exe") + "). Close it";
     },
     ExitStatus::ApplicationRunning},
    // The lock of a Setup that installs, held apart from the uninstaller's own.
    {"SetupIsInstalling",
     [](UninstallTest& t) {
         t.heldLock = t.services.Files().TryLockFolder(t.layout.applicationFolder);
     },
     platform::Answer::Yes,
     [](UninstallTest&) {
         return std::string(
             "Setup is installing Velmora_KZ 2.0.1: let it end, then start "
             "Uninstall again. Nothing was removed.");
     },
     ExitStatus::AnotherRunning},
    // Held by another Uninstall, which runs from the application folder.
    {"AnotherUninstallIsRemoving",
     [](UninstallTest& t) {
         t.heldLock = t.services.Files().TryLockFolder(t.layout.applicationFolder);
         t.services.SetRunning(Joined(t.layout.applicationFolder, "Uninstall.exe"));
     },
     platform::Answer::Yes,
     [](UninstallTest& t) {
         return "Another Uninstall is removing Velmora_KZ 2.0.1 (" +
                Joined(t.layout.applicationFolder, "Uninstall.exe") +
                "): let it end. Nothing was removed.";
     },
     ExitStatus::AnotherRunning},
    {"NoRecord", [](UninstallTest& t) { RemoveTree(t.RecordFile()); }, platform::Answer::Yes,
     [](UninstallTest& t) {
         return "There is no installation of Velmora_KZ 2.0.1 to remove: " + t.RecordFile();
     },
     ExitStatus::NothingToRemove},
    {"ARecordThatIsNotOne", [](UninstallTest& t) { WriteFile(t.RecordFile(), "rm -rf /\r\n"); },
     platform::Answer::Yes,
     [](UninstallTest& t) {
         return "The install record " + t.RecordFile() +
                " is damaged: line 1 is not as Setup writes it. Uninstall cannot tell from it "
                "what the install placed, and removed nothing.";
     },
     ExitStatus::Failure},
    // Cut at a line end, the lines that named the uninstaller and its toolkit lost with the rest.
    {"ARecordCutShortAtALineEnd",
     [](UninstallTest& t) {
         std::string text = ReadFile(t.RecordFile());
         text.resize(text.rfind("\r\nfile ") + 2);
         WriteFile(t.RecordFile(), text);
     },
     platform::Answer::Yes,
     [](UninstallTest& t) {
         return "The install record " + t.RecordFile() + " is damaged: it is cut short at line ";
     },
     ExitStatus::Failure},
    {"ARecordWhoseLastLineHasNoLineEnd",
     [](UninstallTest& t) {
         std::string text = ReadFile(t.RecordFile());
         text.resize(text.size() - 2);
         WriteFile(t.RecordFile(), text);
     },
     platform::Answer::Yes,
     [](UninstallTest& t) {
         return "The install record " + t.RecordFile() + " is damaged: it is cut short at line ";
     },
     ExitStatus::Failure},
    // A size no file system holds is named by its line, as any other line not as written.
    {"ARecordNamingAFileOfAnExbibyte",
     [](UninstallTest& t) {
         std::string text = ReadFile(t.RecordFile());
         text.insert(text.rfind("end\r\n"),
                     "file 1152921504606846976 0 0123456789abcdef " + t.RecordFile() + "\r\n");
         WriteFile(t.RecordFile(), text);
     },
     platform::Answer::Yes,
     [](UninstallTest& t) {
         const std::string text = ReadFile(t.RecordFile());
         const auto lines = std::count(text.begin(), text.end(), '\n');
         return "The install record " + t.RecordFile() + " is damaged: line " +
                std::to_string(lines - 1) + " is not as Setup writes it.";
     },
     ExitStatus::Failure},
    // Whoever else can change the record, or a folder above it, could make it name any file.
    {"ARecordInAnotherUsersFolder",
     [](UninstallTest& t) { t.services.Files().OwnedByAnotherUser(t.layout.applicationFolder); },
     platform::Answer::Yes,
     [](UninstallTest& t) {
         return "The install record " + t.RecordFile() +
                " was not used: " + t.layout.applicationFolder +
                " can be changed by its owner, another user, who could have made it name any "
                "file. Nothing was removed. Once nobody but its owner can change " +
                t.layout.applicationFolder + ", start Uninstall again.";
     },
     ExitStatus::Failure},
#ifndef _WIN32
    {"ARecordEveryoneCanWrite",
     [](UninstallTest& t) { fs::permissions(t.RecordFile(), static_cast<fs::perms>(0666)); },
     platform::Answer::Yes,
     [](UninstallTest& t) {
         return "The install record " + t.RecordFile() +
                " was not used: it can be changed by every user of this computer, who could "
                "have made it name any file. Nothing was removed.";
     },
     ExitStatus::Failure},
    {"AFolderAboveTheRecordEveryoneCanWrite",
     [](UninstallTest& t) {
         const std::string above = fs::path(t.layout.applicationFolder).parent_path().string();
         fs::permissions(above, static_cast<fs::perms>(0777));
     },
     platform::Answer::Yes,
     [](UninstallTest& t) {
         return "The install record " + t.RecordFile() +
                " was not used: " + fs::path(t.layout.applicationFolder).parent_path().string() +
                " can be changed by every user of this computer";
     },
     ExitStatus::Failure},
    {"ARecordItsGroupCanWrite",
     [](UninstallTest& t) { fs::permissions(t.RecordFile(), static_cast<fs::perms>(0664)); },
     platform::Answer::Yes,
     [](UninstallTest& t) {
         return "The install record " + t.RecordFile() +
                " was not used: it can be changed by the members of the group ";
     },
     ExitStatus::Failure},
#endif
    {"AnInstallForEveryone",
     [](UninstallTest& t) {
         auto record = *record::Read(t.services.Files(), t.RecordFile());
         record.scope = platform::Scope::Everyone;
         record::Write(t.services.Files(), t.RecordFile(), record);
     },
     platform::Answer::Yes,
     [](UninstallTest&) {
         return std::string("This installation of Velmora_KZ 2.0.1 is for every user");
     },
     ExitStatus::ImpossibleScope},
};

class UninstallRefused : public UninstallTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(UninstallRefused, SaysWhyInItsStatusAndRemovesNothing) {
    const RefusalCase& row = GetParam();
    Install(Destination());
    row.arrange(*this);
    const Tree installed = TreeNow();
    EXPECT_EQ(Uninstall(row.answer), row.status);
    EXPECT_EQ(TreeNow(), installed);
    const std::string start = row.box(*this);
    if (start.empty()) {
        EXPECT_EQ(box, "<no box>");
    } else {
        EXPECT_THAT(box, ::testing::StartsWith(start));
    }
}

INSTANTIATE_TEST_SUITE_P(Each, UninstallRefused, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// A file that cannot be removed now (read-only, in use): the box names it, the record keeps it and
// the uninstaller, and a second run finishes once it is free.
TEST_F(UninstallTest, WhatCannotBeRemovedIsLeftForASecondRun) {
    before = TreeNow();
    Install(Destination());
    const std::string held = Joined(Destination(), "help.html");
    services.Files().FailEvery(Operation::Remove, kAccessDenied, "help.html");
    ASSERT_EQ(Uninstall(), ExitStatus::Failure);

    const std::string uninstaller = Joined(layout.applicationFolder, "Uninstall.exe");
    EXPECT_THAT(box, ::testing::StartsWith("Velmora_KZ 2.0.1 was not removed completely."));
    EXPECT_THAT(box, HasSubstr("\r\n" + held + ": could not be removed: Permission denied"));
    EXPECT_THAT(box, HasSubstr("Start " + uninstaller + " again once these can be removed."));
    const auto left = record::Read(services.Files(), RecordFile());
    ASSERT_TRUE(left);
    std::vector<std::string> files;
    for (const auto& file : left->files) {
        files.push_back(file.path);
    }
    EXPECT_THAT(files, ::testing::Contains(held));
    EXPECT_THAT(files, ::testing::Contains(uninstaller));
    EXPECT_THAT(left->createdFolders, ::testing::Contains(Destination()));
    EXPECT_TRUE(Exists(uninstaller));
    EXPECT_EQ(services.UninstallEntries().empty(), !layout.registersUninstaller)
        << "the list keeps the entry that starts the second run";

    services.Files().Clear();
    EXPECT_EQ(Uninstall(), ExitStatus::Success) << box;
    EXPECT_EQ(TreeNow(), before);
    EXPECT_TRUE(services.UninstallEntries().empty());
}

// Another removal takes each file just before this one does: each is settled, none a failure.
class RemovedByAnotherFirst final : public platform::ProxyFileSystem {
public:
    using ProxyFileSystem::ProxyFileSystem;

protected:
    void Before(const platform::Call& call) override {
        if (call.operation == platform::Operation::Remove && fs::is_regular_file(call.place)) {
            fs::remove(call.place);
        }
    }
};

class WithFiles final : public platform::ForwardingServices {
public:
    WithFiles(platform::Services& inner, platform::FileSystem& files)
        : ForwardingServices(inner), files_(files) {}
    platform::FileSystem& Files() override { return files_; }

private:
    platform::FileSystem& files_;
};

TEST_F(UninstallTest, FilesAnotherRemovalTookFirstAreSettled) {
    before = TreeNow();
    Install(Destination());
    RemovedByAnotherFirst racing(services.Files());
    WithFiles racingServices(services, racing);
    services.AnswerQuestions(platform::Answer::Yes);
    EXPECT_EQ(EndStatusOf([&] { uninstall::Uninstaller(racingServices, layout).Run(); }),
              ExitStatus::Success);
    const std::string report = services.Messages().back().text;
    EXPECT_THAT(report, Not(HasSubstr("could not be removed"))) << report;
    EXPECT_THAT(report, Not(HasSubstr("Kept"))) << report;
    EXPECT_EQ(TreeNow(), before);
}

#ifdef _WIN32
// The same for real: a file Windows marks read-only, and one a running program holds open.
TEST_F(UninstallTest, ReadOnlyAndInUseFilesAreNamedAndLeftForASecondRun) {
    before = TreeNow();
    Install(Destination());
    const std::string readOnly = Joined(Destination(), "readme.txt");
    const std::string inUse = Joined(Destination(), "Velmora_KZ.exe");
    ::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    const HANDLE held = ::CreateFileA(inUse.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Uninstall(), ExitStatus::Failure);
    ::CloseHandle(held);
    EXPECT_THAT(box, HasSubstr("\r\n" + readOnly + ": could not be removed: Permission denied"));
    EXPECT_THAT(box, HasSubstr("\r\n" + inUse + ": could not be removed: Permission denied"));
    const auto rewritten = record::Read(services.Files(), RecordFile());
    ASSERT_TRUE(rewritten);
    std::vector<std::string> left;
    for (const auto& file : rewritten->files) {
        left.push_back(file.path);
    }
    EXPECT_THAT(left, ::testing::IsSupersetOf({readOnly, inUse}));

    ::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Uninstall(), ExitStatus::Success) << box;
    EXPECT_EQ(TreeNow(), before);
}
#endif

// The install enters the uninstaller where the system looks for it: the list of installed
// programs on Windows, a menu entry beside the launcher's elsewhere.
TEST_F(UninstallTest, TheUninstallerIsFoundWhereTheSystemLooksAndGoesWithTheRest) {
    if (!layout.registersUninstaller) {
        // Caches the desktop keeps of its menus and icons.
        WriteFile(Joined(StartMenuFolder(), "mimeinfo.cache"), "[MIME Cache]\n");
        WriteFile(Joined(layout.userPlaces.iconTheme, "icon-theme.cache"), "cache");
    }
    before = TreeNow();
    Install(Destination());
    const std::string uninstaller = Joined(layout.applicationFolder, "Uninstall.exe");
    EXPECT_EQ(ReadFile(uninstaller), BytesOf("Uninstall.exe"));
    if (layout.registersUninstaller) {
        ASSERT_EQ(services.UninstallEntries().count(platform::Scope::ThisUser), 1u);
        const platform::UninstallEntry& entry =
            services.UninstallEntries().at(platform::Scope::ThisUser);
        EXPECT_EQ(entry.installLocation, Destination());
        EXPECT_EQ(entry.uninstallString, "\"" + uninstaller + "\"");
        EXPECT_EQ(entry.displayIcon, Joined(Destination(), "Velmora_KZ.2.0.1.exe"));
        EXPECT_GT(entry.estimatedSizeKb, 0u);
    } else {
        const std::string entry =
            ReadFile(Joined(StartMenuFolder(), "Uninstall_Velmora_KZ.2.0.1.desktop"));
        EXPECT_THAT(entry, HasSubstr("\nName=Uninstall Velmora_KZ 2.0.1\n"));
        EXPECT_THAT(entry, HasSubstr("\nExec=\"" + uninstaller + "\"\n"));
    }
    ASSERT_EQ(Uninstall(), ExitStatus::Success) << box;
    EXPECT_TRUE(services.UninstallEntries().empty());
    EXPECT_EQ(TreeNow(), before);
    if (!layout.registersUninstaller) {
        EXPECT_THAT(
            services.Ran(),
            ElementsAre(
                platform::fakes::RanProgram{"update-desktop-database", {StartMenuFolder()}},
                platform::fakes::RanProgram{"gtk-update-icon-cache",
                                            {"--force", "--quiet", layout.userPlaces.iconTheme}}));
    }
}

// Uninstall started with options: its log, then the uninstaller, as both programs' entries run it.
class UninstallCommandLine : public UninstallTest {
protected:
    static unattended::Options Silent() {
        unattended::Options options;
        options.silent = true;
        return options;
    }
    static unattended::Options LoggingTo(const std::string& log) {
        unattended::Options options;
        options.log = log;
        return options;
    }

    std::optional<ExitStatus> UninstallWith(const unattended::Options& options) {
        boxesBefore = services.Messages().size();
        return EndStatusOf([&] { uninstall::UninstallAsAsked(services, layout, options); });
    }
    std::string Log() const { return Joined(layout.logFallbackFolder, "Uninstall.log"); }
    // The tree without the log and the folders made for it.
    Tree TreeBesideTheLog() const {
        Tree tree = TreeNow();
        std::erase_if(tree, [this](const auto& entry) {
            return Log().starts_with(entry.first) && !installed.contains(entry.first);
        });
        return tree;
    }

    Tree installed;
    std::size_t boxesBefore = 0;
};

// No question and no box: the question, its answer and the report go to the log and to the
// standard error.
TEST_F(UninstallCommandLine, SilentRemovalAsksNothingAndReportsInItsLog) {
    before = TreeNow();
    Install(Destination());
    EXPECT_EQ(UninstallWith(Silent()), ExitStatus::Success);
    EXPECT_THAT(services.Questions(), IsEmpty());
    EXPECT_EQ(services.Messages().size(), boxesBefore);
    const auto lines = LogTexts(Log());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), "Uninstall Log Initialized");
    EXPECT_THAT(lines, ::testing::Contains("Uninstall Velmora_KZ 2.0.1: Remove Velmora_KZ 2.0.1 "
                                           "from this computer?"));
    EXPECT_THAT(lines, ::testing::Contains("Yes, as the command line asked"));
    EXPECT_THAT(lines.back(), ::testing::StartsWith("Uninstall Velmora_KZ 2.0.1: Velmora_KZ 2.0.1 "
                                                    "has been removed: "));
    EXPECT_EQ(services.ConsoleLines(platform::Console::Error).back(), lines.back());
    installed = before;
    EXPECT_EQ(TreeBesideTheLog(), before);
}

TEST_F(UninstallCommandLine, SilentRemovalRefusesWhereTheWindowsDoes) {
    Install(Destination());
    installed = TreeNow();
    services.SetRunning(Joined(Destination(), "Velmora_KZ.exe"));
    EXPECT_EQ(UninstallWith(Silent()), ExitStatus::ApplicationRunning);
    EXPECT_EQ(services.Messages().size(), boxesBefore);
    EXPECT_THAT(LogTexts(Log()).back(), HasSubstr("Close it, then start Uninstall again."));
    EXPECT_EQ(TreeBesideTheLog(), installed);
}

// Shown, the boxes are said in the log too; a log that cannot be written removes nothing.
TEST_F(UninstallCommandLine, LogIsWhereAskedOrNothingIsRemoved) {
    Install(Destination());
    installed = TreeNow();
    const std::string unwritable = Joined(root.Path(), "missing", "uninstall.log");
    EXPECT_EQ(UninstallWith(LoggingTo(unwritable)), ExitStatus::Failure);
    EXPECT_THAT(services.Questions(), IsEmpty());
    EXPECT_EQ(TreeNow(), installed);

    const std::string log = root / "uninstall.log";
    services.AnswerQuestions(platform::Answer::No);
    EXPECT_EQ(UninstallWith(LoggingTo(log)), ExitStatus::Declined);
    EXPECT_EQ(services.Questions().size(), 1u);
    EXPECT_EQ(LogTexts(log).back(), "No");
}

#ifndef _WIN32
// The folders every Linux desktop has, made by the install where they were missing, outlive it.
TEST_F(UninstallTest, StandardFoldersTheInstallMadeStay) {
    const std::string home = Profile();
    RemoveTree(home + "/.local");
    RemoveTree(DesktopFolder());
    before = TreeNow();
    Install(Destination());
    ASSERT_EQ(Uninstall(), ExitStatus::Success) << box;
    Tree expected = before;
    for (const auto* folder :
         {"/.local", "/.local/bin", "/.local/share", "/.local/share/applications",
          "/.local/share/icons", "/.local/share/icons/hicolor", "/Desktop"}) {
        expected[home + folder] = "<folder>";
    }
    EXPECT_EQ(TreeNow(), expected);
    EXPECT_THAT(box, Not(HasSubstr("Kept")));
}
#endif

}  // namespace
