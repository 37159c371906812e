#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include <grp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/layout.h"
#include "platform/runtime_error.h"
#include "tests/faults/fault_fixture.h"

using ::testing::ElementsAre;
using namespace faults;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

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

std::string Failed(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

std::string Become(unsigned uid) {
    if (::setgroups(0, nullptr) != 0 || ::setresgid(uid, uid, uid) != 0 ||
        ::setresuid(uid, uid, uid) != 0) {
        return Failed("cannot become user " + std::to_string(uid));
    }
    return {};
}

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
        MakeFolders(records);
        fs::permissions(records, static_cast<fs::perms>(0777));
        WriteFile(working + "/Velmora_KZ.exe",
                  "#!/bin/sh\necho \"$(/usr/bin/id -u) $(pwd)\" > " + records + "/started.$$ && " +
                      "/bin/mv " + records + "/started.$$ " + records + "/started\n",
                  0755);
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

    // In the child: the test users with their homes, and the machine's places.
    std::string MakeMachine() const {
        if (::geteuid() != 0) {
            return "needs root to switch users";
        }
        if (std::string failure = EnterPrivateMounts(); !failure.empty()) {
            return failure;
        }
        std::string passwd = ReadFile("/etc/passwd");
        for (unsigned uid : {kAnn, kBob}) {
            MakeFolders(Home(uid));
            fs::permissions(Home(uid), static_cast<fs::perms>(0755));
            if (std::string failure = GiveToUnknownUser(Home(uid), uid); !failure.empty()) {
                return failure;
            }
            passwd += std::string(NameOf(uid)) + ":x:" + std::to_string(uid) + ":" +
                      std::to_string(uid) + "::" + Home(uid) + ":/bin/sh\n";
        }
        WriteFile(root / "passwd", passwd);
        if (::mount((root / "passwd").c_str(), "/etc/passwd", nullptr, MS_BIND, nullptr) != 0) {
            return Failed("cannot mount a password file");
        }
        for (const auto& [place, inTest] : kMachinePlaces) {
            if (::mount((root.Path() + inTest).c_str(), place, nullptr, MS_BIND, nullptr) != 0) {
                return Failed(std::string("cannot mount over ") + place);
            }
        }
        return {};
    }

    // Setup.exe with the defaults, run by uid in a child of its own.
    Outcome InstallAs(unsigned uid) {
        return RunIsolated([&] {
            Outcome outcome;
            if (outcome.notMade = uid == kRoot ? "" : Become(uid); !outcome.notMade.empty()) {
                return outcome;
            }
            UseLayout(platform::NativeLayout());
            Start();
            outcome.ended =
                EndsProgram([&] { platform::RunHandler([&] { form->Command1_Click(); }); });
            outcome.messages = harness.Messages();
            return outcome;
        });
    }

    Outcome LaunchAs(unsigned uid, const std::string& recorded) {
        return RunIsolated([&] {
            Outcome outcome;
            if (outcome.notMade = Become(uid); !outcome.notMade.empty()) {
                return outcome;
            }
            const platform::Layout own = platform::NativeLayout();
            if (!recorded.empty()) {
                MakeFolders(own.applicationFolder);
                WriteFile(own.HandoverFile(), recorded + "\r\n", 0644);
            }
            outcome.ended = Launch(own);
            outcome.messages = harness.Messages();
            return outcome;
        });
    }

    // Everything below folder, folder included, belongs to uid.
    static void ExpectOwnedBy(const std::string& folder, unsigned uid) {
        struct stat info {};
        ASSERT_EQ(::lstat(folder.c_str(), &info), 0) << folder;
        EXPECT_EQ(info.st_uid, uid) << folder;
        for (const auto& item : fs::recursive_directory_iterator(folder)) {
            ASSERT_EQ(::lstat(item.path().c_str(), &info), 0) << item.path();
            EXPECT_EQ(info.st_uid, uid) << item.path();
        }
    }

    std::string records = root / "records";
};

TEST_P(InstallForWhoRunsIt, InstallsInTheirPlacesAndStartsOnlyWhatTheStarterTrusts) {
    const Route& route = GetParam();
    const std::string app = ApplicationFolderOf(route.installer);
    // The installer's message boxes, then the launcher's; ended: the launcher's end.
    const Outcome outcome = RunIsolated([&] {
        Outcome both;
        if (both.notMade = MakeMachine(); !both.notMade.empty()) {
            return both;
        }
        both = InstallAs(route.installer);
        if (!both.notMade.empty() || !both.broken.empty()) {
            return both;
        }
        const Outcome launch = LaunchAs(route.starter, route.starterRecordsTheInstall ? app : "");
        both.notMade = launch.notMade;
        both.broken = launch.broken;
        both.ended = launch.ended;
        both.messages.insert(both.messages.end(), launch.messages.begin(), launch.messages.end());
        return both;
    });
    REQUIRE_RUN(outcome);

    const auto log = LogTexts(working + "/Install.log");
    ASSERT_EQ(log.size(), 9u) << ::testing::PrintToString(log);
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
          menu + "/icons/hicolor/48x48/apps/Velmora_KZ.png", programs + "/Velmora_KZ.2.0.1.exe"}) {
        EXPECT_TRUE(Exists(copy)) << copy;
    }
    if (!forEveryone) {
        ExpectOwnedBy(home, route.installer);
        for (const auto& [place, inTest] : kMachinePlaces) {
            EXPECT_TRUE(fs::is_empty(root.Path() + inTest)) << place << " is left alone";
        }
    }

    const std::string finished = "Finished|Velmora_KZ 2.0.1 Installation is Complete";
    if (route.refused) {
        EXPECT_TRUE(outcome.ended);
        EXPECT_THAT(
            Shown(outcome.messages),
            ElementsAre(finished, "Project1|Run-time error '70':\r\n\r\nPermission denied: " + app +
                                      " can be changed by another user"));
        EXPECT_FALSE(Exists(records + "/started"));
    } else {
        EXPECT_FALSE(outcome.ended);
        EXPECT_THAT(Shown(outcome.messages), ElementsAre(finished));
        EXPECT_EQ(WaitForFile(records + "/started"),
                  std::to_string(route.starter) + " " + app + "\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Each, InstallForWhoRunsIt, ::testing::ValuesIn(kRoutes), RowName());

}  // namespace
