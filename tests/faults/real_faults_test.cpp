// Faults made for real, each in a child of its own: proof that what the injected faults of the
// other tables stand for is what a real disk, medium and user give.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include "launcher/core/launcher_form.h"
#include "platform/content_hash.h"
#include "platform/file_system.h"
#include "platform/forwarding_services.h"
#include "platform/platform.h"
#include "platform/processes.h"
#include "record/file_identity.h"
#include "record/install_record.h"
#include "setup/core/installation_files.h"
#include "tests/faults/fault_fixture.h"
#include "tests/faults/in_child.h"
#include "uninstall/core/uninstaller.h"

using ::testing::ElementsAre;
using namespace faults;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// The disk fills in the middle of one file's copy, over an earlier installation: the
// destination keeps the earlier installation whole, with no temporary file left.
TEST_F(FaultTest, DiskFillingDuringACopyKeepsTheEarlierInstallation) {
    const std::string disk = root / "disk";
    const std::string destination = disk + "/Velmora_KZ";
    WriteFile(working + "/help.html", std::string(std::size_t{512} << 10, 'h'));
    controls.Type(destination);
    RunInChild([&] {
        MountSmallDisk(disk, "256k");
        LayOutEarlierInstall(destination);
        const Outcome outcome = Install();
        ExpectFailureReported(outcome, "Disk full",
                              CopyStep("help.html", destination + "/help.html"), Source(),
                              DesktopTarget());
        ExpectNothingLost(outcome);
        ExpectTreeUnchanged(outcome, destination);
        EXPECT_EQ(outcome.after.at(layout.HandoverFile()).bytes, destination + "\r\n");
    });
}

// Killed in the middle of the commit, over an earlier installation: old and new files lie side by
// side and one is missing, until the next start of Setup puts the earlier installation back.
TEST_F(FaultTest, KilledInTheMiddleOfTheCommitIsPutBackAtTheNextStart) {
    const std::string destination = root / "apps";
    LayOutEarlierInstall(destination);
    // Its record lists its files: they are the install's to replace, not the user's to keep.
    {
        platform::SystemFileSystem files;
        record::InstallRecord recorded{layout.scope, {destination}, {}, {}};
        for (const auto name : setup::kInstallationFiles) {
            recorded.files.push_back(
                record::Identify(files, destination + "/" + std::string(name)));
        }
        MakeFolders(layout.applicationFolder);
        record::Write(files, layout.RecordFile(), recorded);
    }
    controls.Type(destination);
    const DiskState before = ReadDiskState(destination);
    const int signal = SignalThatEnded([&] {
        Start();
        services.Files().CrashAt(platform::fakes::Operation::Rename, 1, destination + "/help.html",
                                 platform::fakes::Crash::Kill);
        form->Command1_Click();
    });
    ASSERT_EQ(signal, SIGKILL) << "the install was to be killed";
    EXPECT_FALSE(Exists(destination + "/help.html")) << "killed between the two moves";
    EXPECT_TRUE(Exists(layout.JournalFile()));

    Start();
    EXPECT_EQ(ReadDiskState(destination).size(), before.size());
    for (const auto& [path, entry] : before) {
        EXPECT_EQ(ReadFile(path), entry.bytes) << path;
    }
    EXPECT_EQ(ReadFile(layout.HandoverFile()), destination + "\r\n") << "as before the install";
    EXPECT_FALSE(Exists(layout.JournalFile()));
}

// Uninstall through the seam's recorder, answering Yes: how it ended, and its last box.
std::pair<std::optional<platform::ExitStatus>, std::string> UninstallWith(
    const platform::Layout& layout) {
    RecordingServices uninstalling;
    uninstalling.AnswerQuestions(platform::Answer::Yes);
    const auto status = EndStatusOf([&] { uninstall::Uninstaller(uninstalling, layout).Run(); });
    return {status,
            uninstalling.Messages().empty() ? "<no box>" : uninstalling.Messages().back().text};
}

// A read-only disk under the installed files: the box names each, the record keeps them, and a
// second run finishes once the disk can be written again.
TEST_F(FaultTest, UninstallFromAReadOnlyDiskIsLeftForASecondRun) {
    const std::string destination = root / "apps";
    controls.Type(destination);
    Install();
    RunInChild([&] {
        MakeReadOnly(destination);
        const auto [status, box] = UninstallWith(layout);
        EXPECT_EQ(status, platform::ExitStatus::Failure);
        EXPECT_THAT(box,
                    ::testing::HasSubstr("\r\n" + destination +
                                         "/readme.txt: could not be removed: Permission denied"));
        const auto left = record::Read(services.Files(), layout.RecordFile());
        ASSERT_TRUE(left);
        EXPECT_EQ(left->files.size(), setup::kInstallationFiles.size());
        EXPECT_TRUE(Exists(destination + "/readme.txt"));

        ASSERT_EQ(::umount(destination.c_str()), 0);
        EXPECT_EQ(UninstallWith(layout).first, platform::ExitStatus::Success);
        EXPECT_FALSE(Exists(destination));
        EXPECT_FALSE(Exists(layout.RecordFile()));
    });
}

// Who holds the application folder's lock, for real, in a process of its own: a Setup that
// installs (it runs from its medium), or another Uninstall (it runs from the application folder).
struct LockHolder : Row {
    bool runsFromTheApplicationFolder;
    const char* box;  // its start
};

const LockHolder kLockHolders[] = {
    {{"SetupIsInstalling"}, false, "Setup is installing Velmora_KZ 2.0.1: let it end"},
    {{"AnotherUninstallIsRemoving"}, true, "Another Uninstall is removing Velmora_KZ 2.0.1 ("},
};

// Uninstall's own services, but for the programs running, which are the system's.
class SeesRealPrograms final : public platform::ForwardingServices {
public:
    using ForwardingServices::ForwardingServices;
    std::optional<std::string> ProgramRunningFrom(const std::string& folder) override {
        return platform::ProgramRunningFrom(folder);
    }
};

class UninstallBesideAnother : public FaultTest,
                               public ::testing::WithParamInterface<LockHolder> {};

TEST_P(UninstallBesideAnother, SaysWhoHoldsTheLockAndRemovesNothing) {
    const LockHolder& holder = GetParam();
    const std::string destination = root / "apps";
    controls.Type(destination);
    Install();
    const std::string uninstaller = layout.applicationFolder + "/Uninstall.exe";
    if (holder.runsFromTheApplicationFolder) {
        fs::copy_file("/bin/sleep", uninstaller, fs::copy_options::overwrite_existing);
    }
    // Each file's bytes, a link's target and the mode bits of each.
    const auto state = [this] {
        std::map<std::string, std::string> state;
        for (const auto& [path, entry] : ReadDiskState(root.Path())) {
            state[path] = std::to_string(entry.mode) + " " + entry.bytes;
        }
        return state;
    };
    const auto installed = state();
    // The child takes the lock; the pipe's end closes when it has started its program, or when
    // it ends.
    int started[2];
    ASSERT_EQ(::pipe2(started, O_CLOEXEC), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(started[0]);
        const int folder = ::open(layout.applicationFolder.c_str(), O_RDONLY | O_DIRECTORY);
        if (folder < 0 || ::flock(folder, LOCK_EX) != 0) {
            ::_exit(1);
        }
        if (holder.runsFromTheApplicationFolder) {
            ::execl(uninstaller.c_str(), "Uninstall.exe", "100000", nullptr);
            ::_exit(1);
        }
        ::close(started[1]);
        ::pause();
        ::_exit(0);
    }
    ::close(started[1]);
    char ignored = 0;
    ASSERT_EQ(::read(started[0], &ignored, 1), 0);
    ::close(started[0]);

    RecordingServices recording;
    SeesRealPrograms uninstalling(recording);
    recording.AnswerQuestions(platform::Answer::Yes);
    const auto status = EndStatusOf([&] { uninstall::Uninstaller(uninstalling, layout).Run(); });
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);

    EXPECT_EQ(status, platform::ExitStatus::AnotherRunning);
    ASSERT_FALSE(recording.Messages().empty());
    EXPECT_THAT(recording.Messages().back().text, ::testing::StartsWith(holder.box));
    EXPECT_THAT(recording.Questions(), ::testing::IsEmpty());
    EXPECT_EQ(state(), installed);
}

INSTANTIATE_TEST_SUITE_P(Each, UninstallBesideAnother, ::testing::ValuesIn(kLockHolders),
                         RowName());

// A medium on a read-only mount, with the log of an earlier run on it: the install goes through,
// its log in the user's state folder, named in the last box, and the medium keeps every byte.
TEST_F(FaultTest, ReadOnlyMediumInstallsWithItsLogInTheStateFolder) {
    const std::string destination = root / "apps";
    WriteFile(working + "/Install.log", "the log of an earlier run\r\n");
    controls.Type(destination);
    RunInChild([&] {
        MakeReadOnly(working);
        const Outcome outcome = Install();
        ExpectTreeUnchanged(outcome, working);
        EXPECT_EQ(ReadFile(working + "/Install.log"), "the log of an earlier run\r\n");
        const std::string log = layout.logFallbackFolder + "/Install.log";
        ASSERT_FALSE(outcome.messages.empty());
        EXPECT_EQ(outcome.messages.back().text,
                  "Velmora_KZ 2.0.1 Installation is Complete\r\nThe log is in " + log + ".");
        EXPECT_EQ(outcome.ended, platform::ExitStatus::Success);
        const auto lines = LogTexts(log);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), "Install Log Initialized here, as " + working +
                                     "/Install.log cannot be written: Permission denied");
        EXPECT_EQ(lines.back(), "Copied Installation Files Successfully");
        EXPECT_EQ(ReadFile(destination + "/readme.txt"), ReadFile(working + "/readme.txt"));
    });
}

// On a file system that shares blocks, each file is a clone of the medium's, which takes no room
// of its own; its bytes are still hashed, from the copy, for the record.
TEST_F(FaultTest, OnASharingDiskTheCopiesShareTheMediumsBlocksAndAreHashed) {
    const std::string jar(std::size_t{32} << 20, 'j');
    const TempFolder image;  // outside root, whose every file each outcome reads
    RunInChild([&] {
        MountSharingDisk(working, image / "btrfs.img");
        LayOutMedium(working);
        WriteFile(working + "/Velmora_KZ.jar", jar);
        fs::current_path(working);
        const std::string destination = working + "/apps";
        controls.Type(destination);
        ::sync();
        struct statvfs before {};
        ::statvfs(working.c_str(), &before);
        const Outcome outcome = Install();
        ::sync();
        struct statvfs after {};
        ::statvfs(working.c_str(), &after);
        EXPECT_EQ(outcome.ended, platform::ExitStatus::Success);
        const auto used = static_cast<std::int64_t>(before.f_bavail - after.f_bavail) *
                          static_cast<std::int64_t>(before.f_frsize);
        EXPECT_LT(used, std::int64_t{8} << 20) << "the jar's 32 MiB are shared, not written";
        platform::SystemFileSystem files;
        const auto recorded = record::Read(files, layout.RecordFile());
        ASSERT_TRUE(recorded.has_value());
        for (const auto name : setup::kInstallationFiles) {
            const std::string path = destination + "/" + std::string(name);
            const auto file = std::find_if(recorded->files.begin(), recorded->files.end(),
                                           [&](const auto& placed) { return placed.path == path; });
            ASSERT_NE(file, recorded->files.end()) << path;
            EXPECT_EQ(file->contents, record::KnownContents{platform::HashOf(ReadFile(path))})
                << path;
            EXPECT_EQ(ReadFile(path), ReadFile(working + "/" + std::string(name))) << path;
        }
    });
}

// The log cannot take a line: nothing handles that, so the runtime's box is the account.
struct LogFault : Row {
    bool atStartUp;
    std::function<void(FaultTest&)> make;
    int number;
};

const LogFault kLogFaults[] = {
    // Followed, the link would let whoever planted it have the log truncate any file.
    {{"StartUpWithALinkAtTheLog"},
     true,
     [](FaultTest& t) {
         WriteFile(t.root / "precious", "someone else's file\r\n");
         fs::create_symlink(t.root / "precious", t.working + "/Install.log");
     },
     platform::error::kPathFileAccessError},
    // Room for one more line: the next one is cut in the middle.
    {{"InstallWithTheLogAtTheFileSizeLimit"},
     false,
     [](FaultTest& t) {
         const std::string next =
             platform::LocalDateTimeText() + "~Created Install.log Successfully\r\n";
         LimitFileSize(fs::file_size(t.working + "/Install.log") + next.size() + 10);
     },
     platform::error::kDiskFull},
};

class LogCannotBeWritten : public FaultTest, public ::testing::WithParamInterface<LogFault> {};

TEST_P(LogCannotBeWritten, EndsInTheRuntimesBoxWithNothingHalfDone) {
    const LogFault& fault = GetParam();
    RunInChild([&] {
        const auto make = [&] { fault.make(*this); };
        const Outcome outcome = fault.atStartUp ? StartUp(make) : Install(make);
        ExpectRuntimeErrorBox(outcome, fault.number, working + "/Install.log");
        ExpectNothingLost(outcome);
        EXPECT_FALSE(outcome.after.contains(layout.HandoverFile()));
        if (!fault.atStartUp) {
            EXPECT_EQ(LogOf(outcome).at(0), "Install Log Initialized");
            EXPECT_THAT(
                LogOf(outcome),
                ::testing::Not(::testing::Contains(::testing::HasSubstr("Error During Setup"))));
        }
    });
}

INSTANTIATE_TEST_SUITE_P(Each, LogCannotBeWritten, ::testing::ValuesIn(kLogFaults), RowName());

// Users that exist only for these tests: a private copy of the password file names them.
constexpr unsigned kRoot = 0;
constexpr unsigned kAnn = 54400;
constexpr unsigned kBob = 54401;

const char* NameOf(unsigned uid) {
    return uid == kAnn ? "velmora-ann" : uid == kBob ? "velmora-bob" : "root";
}

// Where the machine's places the installer and launcher use lie in the test folder: each is
// mounted over the real one in the child alone.
constexpr std::pair<const char*, const char*> kMachinePlaces[] = {
    {"/opt", "/machine/opt"},
    {"/usr/local", "/machine/usr-local"},
    {"/etc/skel", "/machine/skel"},
};

// Who installs, who then starts the launcher, and whether the starter's own hand-over file
// names that install (the only way for one user's launcher to reach another user's install).
struct Route : Row {
    unsigned installer;
    unsigned starter;
    bool starterRecordsTheInstall;
    bool refused;
};

const Route kRoutes[] = {
    {{"UserInstallsForThemselves"}, kAnn, kAnn, false, false},
    {{"RootsInstallStartsForAnotherUser"}, kRoot, kBob, false, false},
    {{"UsersInstallIsRefusedToAnotherUser"}, kAnn, kBob, true, true},
};

// Installs and launches with the programs' own layout, as real users with their own ids and
// home folders: what is made belongs to whoever made it, and the launcher sees that.
class InstallForWhoRunsIt : public FaultTest, public ::testing::WithParamInterface<Route> {
protected:
    InstallForWhoRunsIt() {
        fs::permissions(root.Path(), static_cast<fs::perms>(0755));
        fs::permissions(working, static_cast<fs::perms>(0777));
        for (const auto& [place, inTest] : kMachinePlaces) {
            MakeFolders(root.Path() + inTest);
        }
    }

    std::string Home(unsigned uid) const { return root / (std::string("home/") + NameOf(uid)); }

    // The application folder the programs use for that user, as they see it.
    std::string ApplicationFolderOf(unsigned uid) const {
        return uid == kRoot ? "/opt/Velmora_KZ" : Home(uid) + "/Velmora_KZ";
    }

    // Where a place seen by the programs lies in the test folder.
    std::string OnDisk(const std::string& path) const {
        for (const auto& [place, inTest] : kMachinePlaces) {
            if (path.starts_with(std::string(place) + "/")) {
                return root.Path() + inTest + path.substr(std::strlen(place));
            }
        }
        return path;
    }

    // The test users with their homes, and the machine's places.
    void MakeMachine() const {
        if (::geteuid() != 0) {
            CannotMakeIt("needs root to switch users");
        }
        EnterPrivateMounts();
        std::string passwd = ReadFile("/etc/passwd");
        for (unsigned uid : {kAnn, kBob}) {
            MakeFolders(Home(uid));
            fs::permissions(Home(uid), static_cast<fs::perms>(0755));
            if (std::string failure = GiveToUser(Home(uid), uid); !failure.empty()) {
                CannotMakeIt(failure);
            }
            passwd += std::string(NameOf(uid)) + ":x:" + std::to_string(uid) + ":" +
                      std::to_string(uid) + "::" + Home(uid) + ":/bin/sh\n";
        }
        WriteFile(root / "passwd", passwd);
        const std::pair<std::string, std::string> mounts[] = {
            {root / "passwd", "/etc/passwd"},
            {root.Path() + kMachinePlaces[0].second, kMachinePlaces[0].first},
            {root.Path() + kMachinePlaces[1].second, kMachinePlaces[1].first},
            {root.Path() + kMachinePlaces[2].second, kMachinePlaces[2].first},
        };
        for (const auto& [from, to] : mounts) {
            if (::mount(from.c_str(), to.c_str(), nullptr, MS_BIND, nullptr) != 0) {
                CannotMakeIt("cannot mount over " + to + ": " + std::strerror(errno));
            }
        }
    }

    // Setup.exe with the defaults, run by uid.
    void InstallAs(unsigned uid) {
        if (uid != kRoot) {
            Become(uid);
        }
        UseLayout(platform::NativeLayout());
        Start();
        EXPECT_EQ(EndStatusOf([&] { form->Command1_Click(); }), platform::ExitStatus::Success);
        EXPECT_THAT(services.Shown(),
                    ElementsAre("Finished|Velmora_KZ 2.0.1 Installation is Complete"));
    }

    void LaunchAs(const Route& route) {
        Become(route.starter);
        const platform::Layout own = platform::NativeLayout();
        const std::string app = ApplicationFolderOf(route.installer);
        if (route.starterRecordsTheInstall) {
            MakeFolders(own.applicationFolder);
            WriteFile(own.HandoverFile(), app + "\r\n", 0644);
        }
        RecordingServices launching;
        const bool ended = EndsProgram([&] {
            platform::RunHandler(launching, [&] { launcher::Form1(launching, own).Form_Load(); });
        });
        if (route.refused) {
            EXPECT_TRUE(ended);
            EXPECT_THAT(
                launching.Shown(),
                ElementsAre("Project1|Run-time error '70':\r\n\r\nPermission denied\r\n" + app +
                            " can be changed by its owner, the user " + NameOf(route.installer)));
            EXPECT_THAT(launching.Started(), ::testing::IsEmpty());
        } else {
            EXPECT_FALSE(ended);
            EXPECT_THAT(launching.Messages(), ::testing::IsEmpty());
            ASSERT_EQ(launching.Started().size(), 1u);
            EXPECT_EQ(launching.Started()[0].folder, app);
        }
    }

    void ExpectInstalledInTheirPlaces(const Route& route) {
        const std::string app = ApplicationFolderOf(route.installer);
        const auto log = LogTexts(working + "/Install.log");
        ASSERT_EQ(log.size(), 10u) << ::testing::PrintToString(log);
        EXPECT_EQ(log[4], std::string("Current User Name ") + NameOf(route.installer));
        EXPECT_EQ(ReadFile(OnDisk(app) + "/Start_up.txt"), app + "\r\n");
        EXPECT_EQ(ReadFile(OnDisk(app) + "/readme.txt"), BytesOf("readme.txt"));

        const bool forEveryone = route.installer == kRoot;
        const std::string home = Home(route.installer);
        const std::string desktop = forEveryone ? OnDisk("/etc/skel/Desktop") : home + "/Desktop";
        const std::string menu = forEveryone ? OnDisk("/usr/local/share") : home + "/.local/share";
        const std::string programs = forEveryone ? OnDisk("/usr/local/bin") : home + "/.local/bin";
        for (const std::string& copy :
             {desktop + "/Velmora_KZ.2.0.1.exe", menu + "/applications/Velmora_KZ.2.0.1.exe",
              menu + "/applications/Velmora_KZ.2.0.1.desktop",
              menu + "/icons/hicolor/48x48/apps/Velmora_KZ.png",
              programs + "/Velmora_KZ.2.0.1.exe"}) {
            EXPECT_TRUE(Exists(copy)) << copy;
        }
        if (!forEveryone) {
            for (const auto& item : fs::recursive_directory_iterator(home)) {
                struct stat info {};
                ASSERT_EQ(::lstat(item.path().c_str(), &info), 0) << item.path();
                EXPECT_EQ(info.st_uid, route.installer) << item.path();
            }
            for (const auto& [place, inTest] : kMachinePlaces) {
                EXPECT_TRUE(fs::is_empty(root.Path() + inTest)) << place << " is left alone";
            }
        }
    }
};

// Root's install for everyone and a user's own: each one's uninstall takes off its own alone.
TEST_F(InstallForWhoRunsIt, EachUninstallRemovesOnlyItsOwnInstall) {
    RunInChild([&] {
        MakeMachine();
        RunInChild([&] { InstallAs(kRoot); });
        RemoveTree(working + "/Install.log");  // root's, which the user could not write to
        RunInChild([&] { InstallAs(kAnn); });
        const std::string rootsCopy = OnDisk("/usr/local/bin/Velmora_KZ.2.0.1.exe");
        const std::string annsCopy = Home(kAnn) + "/.local/bin/Velmora_KZ.2.0.1.exe";
        ASSERT_TRUE(Exists(rootsCopy) && Exists(annsCopy));

        RunInChild([&] {
            Become(kAnn);
            EXPECT_EQ(UninstallWith(platform::NativeLayout()).first, platform::ExitStatus::Success);
        });
        EXPECT_FALSE(Exists(Home(kAnn) + "/Velmora_KZ"));
        EXPECT_FALSE(Exists(annsCopy));
        EXPECT_TRUE(Exists(OnDisk("/opt/Velmora_KZ/readme.txt")));
        EXPECT_TRUE(Exists(rootsCopy));

        RunInChild([&] {
            EXPECT_EQ(UninstallWith(platform::NativeLayout()).first, platform::ExitStatus::Success);
        });
        EXPECT_FALSE(Exists(OnDisk("/opt/Velmora_KZ")));
        EXPECT_FALSE(Exists(rootsCopy));
        EXPECT_TRUE(Exists(OnDisk("/usr/local/bin"))) << "a system folder stays";
    });
}

TEST_P(InstallForWhoRunsIt, InstallsInTheirPlacesAndStartsOnlyWhatTheStarterTrusts) {
    const Route& route = GetParam();
    RunInChild([&] {
        MakeMachine();
        RunInChild([&] { InstallAs(route.installer); });
        ExpectInstalledInTheirPlaces(route);
        RunInChild([&] { LaunchAs(route); });
    });
}

INSTANTIATE_TEST_SUITE_P(Each, InstallForWhoRunsIt, ::testing::ValuesIn(kRoutes), RowName());

}  // namespace
