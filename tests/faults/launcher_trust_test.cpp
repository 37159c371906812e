#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "launcher/core/launcher_form.h"
#include "tests/faults/fault_fixture.h"

using ::testing::ElementsAre;
using namespace faults;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// The launcher follows the hand-over file, its folder and the recorded folder only when nobody
// but their owner, who must be the running user or root, can change them.
enum class Place { None, Handover, ApplicationFolder, InstallFolder, Program };

struct TrustCase : Row {
    Place place;
    unsigned mode;  // given to the place; 0: the place goes to another user instead
    bool refused;
    const char* who = "";  // the start of who else the box says can change it
};

constexpr const char* kEveryUser = "every user of this computer";
// kUnknownUser has no entry in the password database: the box gives its number.
constexpr const char* kTheOtherUser = "its owner, the user with number 54321";

const TrustCase kTrustCases[] = {
    {{"AsInstalled"}, Place::None, 0, false},
    {{"HandoverReadOnly"}, Place::Handover, 0444, false},
    {{"ApplicationFolderPrivate"}, Place::ApplicationFolder, 0700, false},
    {{"HandoverGroupWritable"}, Place::Handover, 0664, true, "the members of the group "},
    {{"HandoverWritableByAll"}, Place::Handover, 0646, true, kEveryUser},
    {{"HandoverOwnedByAnotherUser"}, Place::Handover, 0, true, kTheOtherUser},
    {{"ApplicationFolderSharedLikeTmp"}, Place::ApplicationFolder, 01777, true, kEveryUser},
    {{"InstallFolderWritableByAll"}, Place::InstallFolder, 0757, true, kEveryUser},
    {{"ProgramWritableByAll"}, Place::Program, 0777, true, kEveryUser},
    {{"ProgramOwnedByAnotherUser"}, Place::Program, 0, true, kTheOtherUser},
};

class TrustedPlaces : public testing_support::LauncherTest {
protected:
    // Launches; the application must start, or nothing starts and the box names refused.
    void ExpectFollowedOrRefused(const std::string& refused, const std::string& who = {}) {
        const bool ended = Launch();
        if (refused.empty()) {
            EXPECT_FALSE(ended);
            EXPECT_THAT(services.Messages(), ::testing::IsEmpty());
            EXPECT_THAT(StartedIn(), ElementsAre(installed));
            return;
        }
        EXPECT_TRUE(ended);
        EXPECT_THAT(services.Shown(),
                    ElementsAre(::testing::StartsWith("Project1|Run-time error '70':\r\n\r\n"
                                                      "Permission denied\r\n" +
                                                      refused + " can be changed by " + who)));
        EXPECT_THAT(StartedIn(), ::testing::IsEmpty());
    }
};

class LauncherTrust : public TrustedPlaces, public ::testing::WithParamInterface<TrustCase> {};

TEST_P(LauncherTrust, FollowsOnlyWhatNobodyElseCanChange) {
    const TrustCase& row = GetParam();
    Record(installed + "\r\n");
    const std::string path = row.place == Place::Handover            ? layout.HandoverFile()
                             : row.place == Place::ApplicationFolder ? layout.applicationFolder
                             : row.place == Place::Program           ? installed + "/Velmora_KZ.exe"
                                                                     : installed;
    if (row.place != Place::None && row.mode != 0) {
        fs::permissions(path, static_cast<fs::perms>(row.mode));
    } else if (row.place != Place::None) {
        if (std::string failure = GiveToUser(path); !failure.empty()) {
            GTEST_SKIP() << failure;
        }
    }
    ExpectFollowedOrRefused(row.refused ? path : "", row.who);
}

// What the recorded path names is checked, not a link on the way to it.
TEST_F(TrustedPlaces, RecordedLinkToAFolderWritableByAllIsRefused) {
    fs::permissions(installed, static_cast<fs::perms>(0777));
    fs::create_directory_symlink(installed, root / "link");
    Record(root / "link\r\n");
    ExpectFollowedOrRefused(root / "link", kEveryUser);
}

INSTANTIATE_TEST_SUITE_P(Each, LauncherTrust, ::testing::ValuesIn(kTrustCases), RowName());

// A hand-over file that is no plain file is refused by name, without waiting on a FIFO or reading
// what a link points at; a program file that is a link is not started.
struct NotPlain : Row {
    std::function<std::string(testing_support::LauncherTest&)> make;  // the place refused
};

const NotPlain kNotPlain[] = {
    {{"HandoverIsAFifo"},
     [](testing_support::LauncherTest& t) {
         ::mkfifo(t.layout.HandoverFile().c_str(), 0644);
         return t.layout.HandoverFile();
     }},
    {{"HandoverIsALinkToAnotherFile"},
     [](testing_support::LauncherTest& t) {
         WriteFile(t.root / "secret", t.installed + "\r\n", 0600);
         fs::create_symlink(t.root / "secret", t.layout.HandoverFile());
         return t.layout.HandoverFile();
     }},
    {{"ProgramIsALink"},
     [](testing_support::LauncherTest& t) {
         t.Record(t.installed + "\r\n");
         fs::rename(t.installed + "/Velmora_KZ.exe", t.root / "elsewhere.exe");
         fs::create_symlink(t.root / "elsewhere.exe", t.installed + "/Velmora_KZ.exe");
         return t.installed + "/Velmora_KZ.exe";
     }},
};

class NotAPlainFile : public testing_support::LauncherTest,
                      public ::testing::WithParamInterface<NotPlain> {};

TEST_P(NotAPlainFile, IsRefusedByNameAndNothingStarts) {
    const std::string refused = GetParam().make(*this);
    EXPECT_TRUE(Launch());
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_THAT(services.Messages()[0].text, ::testing::EndsWith("\r\n" + refused));
    EXPECT_THAT(StartedIn(), ::testing::IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Each, NotAPlainFile, ::testing::ValuesIn(kNotPlain), RowName());

// Whatever the user's umask, what the installer makes is owner-writable only, readable by all,
// and passes the launcher's checks.
class InstallUnderUmask : public FaultTest, public ::testing::WithParamInterface<mode_t> {};

TEST_P(InstallUnderUmask, MakesPlacesTheLauncherTrusts) {
    fs::permissions(working + "/Velmora_KZ.exe", fs::perms::all);
    const std::string destination = root / "apps";
    controls.Type(destination);
    const mode_t before = ::umask(GetParam());
    const Outcome outcome = Install();
    ::umask(before);
    ASSERT_THAT(services.Shown(),
                ElementsAre("Finished|Velmora_KZ 2.0.1 Installation is Complete"));

    const std::pair<std::string, unsigned> expected[] = {
        {layout.applicationFolder, 0755},
        {layout.HandoverFile(), 0644},
        {destination, 0755},
        {destination + "/Velmora_KZ.exe", 0755},
        {destination + "/readme.txt", 0644},
        {Profile() + "/Desktop", 0755},
        {Profile() + "/Desktop/Velmora_KZ.2.0.1.exe", 0755},
        {Profile() + "/.local", 0755},
        {Profile() + "/.local/share/applications", 0755},
        {Profile() + "/.local/share/applications/Velmora_KZ.2.0.1.desktop", 0644},
    };
    for (const auto& [path, mode] : expected) {
        const auto entry = outcome.after.find(path);
        ASSERT_NE(entry, outcome.after.end()) << path;
        EXPECT_EQ(entry->second.mode, mode) << path;
    }
    launcher::Form1(services, layout).Form_Load();
    ASSERT_EQ(services.Started().size(), 2u) << "java, then the application";
    EXPECT_EQ(services.Started()[1].folder, destination);
}

INSTANTIATE_TEST_SUITE_P(Each, InstallUnderUmask, ::testing::Values(0, 077), [](const auto& info) {
    return "Umask0" + std::to_string(info.param >> 3 & 7) + std::to_string(info.param & 7);
});

// Installing into another user's folder that anyone can change would end in a launcher that
// refuses it: the install stops before it writes anything, and the folder is left as it was.
TEST_F(FaultTest, DestinationOfAnotherUserThatOthersCanChangeStopsTheInstall) {
    const std::string destination = root / "shared";
    MakeFolders(destination);
    if (std::string failure = GiveToUser(destination); !failure.empty()) {
        GTEST_SKIP() << failure;
    }
    fs::permissions(destination, fs::perms::all);
    controls.Type(destination);
    const Outcome outcome = Install();
    ExpectNothingLost(outcome);
    ExpectFailureReported(outcome, "Permission denied",
                          "The folder " + destination + " can be changed by " + kTheOtherUser + ".",
                          "", "");
    EXPECT_EQ(outcome.after.at(destination).mode, 0777u);
    for (const auto& [path, entry] : outcome.after) {
        EXPECT_TRUE(outcome.before.contains(path)) << "written for a refused destination: " << path;
    }
}

// For every user: whoever can change a folder above D could put another D in its place, which
// every user's launcher would then follow (as OpenSSH's StrictModes refuses such a home). The
// install stops before anything is written, naming the folder and who can change it.
TEST_F(FaultTest, InstallForEveryoneBelowAFolderOthersCanChangeStopsTheInstall) {
    const std::string shared = root / "shared";
    const std::string destination = shared + "/apps";
    MakeFolders(shared);
    fs::permissions(shared, fs::perms::all);
    layout.scope = platform::Scope::Everyone;
    UseLayout(layout);
    controls.Type(destination);
    const Outcome outcome = Install();
    ExpectNothingLost(outcome);
    ExpectFailureReported(
        outcome, "Permission denied",
        "The folder " + shared + " can be changed by every user of this computer.", "", "");
    for (const auto& [path, entry] : outcome.after) {
        EXPECT_TRUE(outcome.before.contains(path)) << "written for a refused destination: " << path;
    }
}

}  // namespace
