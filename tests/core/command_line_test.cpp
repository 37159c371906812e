// Built into the tests of both systems.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "setup/core/installation_files.h"
#include "setup/core/setup_command_line.h"
#include "tests/support/installer_fixture.h"
#include "unattended/command_line.h"
#include "unattended/exit_codes.h"

#ifdef _WIN32
#include "platform/windows/windows_api.h"
#else
#include <cerrno>
#endif

using platform::ExitStatus;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using unattended::Program;
using namespace testing_support;

namespace {

#ifdef _WIN32
constexpr int kAccessDenied = ERROR_ACCESS_DENIED;
#else
constexpr int kAccessDenied = EACCES;
#endif

// What a command line asked for, in a few words.
std::string Summary(const unattended::CommandLine& read) {
    const unattended::Options& options = read.options;
    std::string summary;
    const auto add = [&summary](const std::string& word) {
        summary += (summary.empty() ? "" : " ") + word;
    };
    if (options.silent)
        add("silent");
    if (options.help)
        add("help");
    if (options.destination)
        add("dir=" + *options.destination);
    if (!options.desktopIcon)
        add("no-desktop-icon");
    if (!options.startMenu)
        add("no-start-menu");
    if (!options.programsMenu)
        add("no-programs-menu");
    if (options.log)
        add("log=" + *options.log);
    if (options.alsoLog)
        add("also-log=" + *options.alsoLog);
    if (options.scope)
        add(*options.scope == platform::Scope::Everyone ? "all-users" : "current-user");
    if (!read.error.empty())
        add("error: " + read.error);
    return summary;
}

struct ParseCase {
    const char* name;
    Program program;
    std::vector<std::string> arguments;
    std::string read;
};
std::ostream& operator<<(std::ostream& out, const ParseCase& row) {
    return out << row.name;
}

const ParseCase kParses[] = {
    {"WindowsSpellingInAnyCase",
     Program::Setup,
     {"/silent", "/dir=C:\\Apps", "/NoDesktopIcon", "/no-start-menu", "/NOPROGRAMSMENU",
      "/log=a.log", "/AlsoLog=b.log", "/AllUsers"},
     "silent dir=C:\\Apps no-desktop-icon no-start-menu no-programs-menu log=a.log "
     "also-log=b.log all-users"},
    {"LinuxSpellingWithValuesApart",
     Program::Setup,
     {"--silent", "--dir", "/opt/my apps", "--log=a.log", "--current-user"},
     "silent dir=/opt/my apps log=a.log current-user"},
    {"EmptyDestinationIsForTheInstallToRefuse", Program::Setup, {"--dir="}, "dir="},
    {"QuestionMarkAsksForHelp", Program::Setup, {"/?"}, "help"},
    {"UninstallsOwn", Program::Uninstall, {"/Silent", "--log", "u.log"}, "silent log=u.log"},
    {"Unknown", Program::Setup, {"--silent", "--bogus"}, "silent error: unknown option --bogus"},
    {"NotAnOption", Program::Setup, {"install"}, "error: unknown option install"},
    {"ToolkitOption",
     Program::Setup,
     {"-platform", "offscreen"},
     "error: unknown option -platform"},
    {"SwitchWithAValue",
     Program::Setup,
     {"--silent=yes"},
     "error: --silent=yes: the option takes no value"},
    {"ValueMissing",
     Program::Setup,
     {"--log"},
     "error: --log: the option needs a value, as in --log=FILE"},
    {"EmptyLogPlace",
     Program::Setup,
     {"/log="},
     "error: /log=: the option needs a value, as in /log=FILE"},
    {"GivenTwice",
     Program::Setup,
     {"/silent", "--silent"},
     "silent error: --silent: the option is given more than once"},
    {"BothScopes",
     Program::Setup,
     {"--all-users", "/currentuser"},
     "current-user error: /currentuser: the install can be for every user or for the current "
     "user, not both"},
    {"SetupsOptionToUninstall", Program::Uninstall, {"--dir=D"}, "error: unknown option --dir=D"},
};

class CommandLineRead : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CommandLineRead, TakesBothSpellingsAndNamesWhatIsWrong) {
    const ParseCase& row = GetParam();
    EXPECT_EQ(Summary(unattended::ReadCommandLine(row.program, row.arguments)), row.read);
}

INSTANTIATE_TEST_SUITE_P(Each, CommandLineRead, ::testing::ValuesIn(kParses),
                         [](const auto& info) { return std::string(info.param.name); });

// A deployment tool tells each ending by its code alone, and a status above 255 would be cut on
// Linux.
TEST(ExitCodes, TellEachEndingOfAProgramApart) {
    for (const auto system : {platform::System::Windows, platform::System::Linux}) {
        for (const bool setup : {true, false}) {
            std::set<int> codes;
            for (const auto& row : unattended::ExitCodeTable()) {
                if (setup ? row.setup : row.uninstall) {
                    const int code = unattended::ExitCodeOf(row.status, system);
                    EXPECT_TRUE(codes.insert(code).second) << code << " twice";
                    EXPECT_TRUE(system == platform::System::Windows || code <= 255) << code;
                }
            }
            EXPECT_TRUE(codes.contains(0));
        }
    }
    const auto classic = unattended::ExitCodesFor(platform::ThisSystem(), false);
    EXPECT_EQ(classic(ExitStatus::Cancelled), 0) << "Cancel Install always ended with 0";
    EXPECT_EQ(classic(ExitStatus::Declined), 1);
    EXPECT_EQ(classic(ExitStatus::AnotherRunning), 1);
}

// Setup started with arguments, through the code both programs' entries run.
class SetupCommandLine : public InstallerTest {
protected:
    SetupCommandLine() {
        for (const auto& place :
             {Profile(), DesktopFolder(), StartMenuFolder(), ProgramsFolder()}) {
            MakeFolders(place);
        }
    }

    // The window run, as a user who presses "Begin Install" at once; what it showed first.
    std::optional<ExitStatus> Run(const std::vector<std::string>& arguments) {
        return EndStatusOf([&] {
            platform::RunHandler(services, [&] {
                setup::RunWithArguments(
                    services, arguments, layout, [this](const unattended::Options& options) {
                        form = std::make_unique<setup::Form1>(controls, services, layout, options);
                        controls.Attach(*form);
                        form->Form_Load();
                        shownChecks = {controls.CheckValue(setup::CheckBox::Check1),
                                       controls.CheckValue(setup::CheckBox::Check2)};
                        shownText = controls.Text1Text();
                        form->Command1_Click();
                        return 0;
                    });
            });
        });
    }
    std::vector<std::string> Errors() const {
        return services.ConsoleLines(platform::Console::Error);
    }
    std::map<std::string, std::string> TreeNow() const {
        std::map<std::string, std::string> tree;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root.Path())) {
            tree[TextOf(entry.path())] =
                entry.is_directory() ? "<folder>" : ReadFile(TextOf(entry.path()));
        }
        return tree;
    }
    std::string Destination() const { return root / "apps"; }
    std::string FallbackLog() const { return Joined(layout.logFallbackFolder, "Install.log"); }

    std::vector<int> shownChecks;
    std::string shownText;
};

// Nothing is written before the command line is known to be good, also not the log.
TEST_F(SetupCommandLine, BadOptionOrImpossibleScopeChangesNothing) {
    const auto before = TreeNow();
    const bool windows = platform::ThisSystem() == platform::System::Windows;
    EXPECT_EQ(Run({"--bogus"}), ExitStatus::BadCommandLine);
    EXPECT_THAT(
        Errors(),
        ElementsAre(std::string("Setup.exe: unknown option --bogus. Nothing was done. ") +
                    (windows ? "\"Setup.exe /?\"" : "Setup.exe --help") + " lists the options."));
    EXPECT_EQ(services.Messages().size(), windows ? 1u : 0u)
        << "a box only where there is no console";
    EXPECT_EQ(Run({"/silent", "/bogus"}), ExitStatus::BadCommandLine);
    EXPECT_EQ(Run({"/silent", "--all-users"}), ExitStatus::ImpossibleScope)
        << "the tests' layout installs for the user";
    EXPECT_THAT(Errors().back(), HasSubstr("for every user needs an administrator"));
    EXPECT_EQ(services.Messages().size(), windows ? 1u : 0u) << "silent: no box";
    EXPECT_THAT(services.Started(), IsEmpty()) << "not even Java was probed";
    EXPECT_EQ(TreeNow(), before);
}

TEST_F(SetupCommandLine, HelpNamesEachOptionBothWaysAndTheExitCodes) {
    EXPECT_EQ(Run({"--help"}), ExitStatus::Success);
    std::string help;
    for (const auto& line : services.ConsoleLines(platform::Console::Output)) {
        help += line + "\n";
    }
    const bool windows = platform::ThisSystem() == platform::System::Windows;
    EXPECT_THAT(help, HasSubstr(windows ? "/nodesktopicon" : "--no-desktop-icon"));
    EXPECT_THAT(help, HasSubstr(windows ? "(--dir=FOLDER)" : "(/dir=FOLDER)"));
    EXPECT_THAT(help, HasSubstr(windows ? "1618" : "  4 "));
    EXPECT_THAT(help, ::testing::Not(HasSubstr("no installation to remove"))) << "Uninstall's";
}

// The window's own run, line for line, with the boxes' texts in the log and on the standard
// error instead of on the screen.
TEST_F(SetupCommandLine, SilentInstallLeavesWhatTheWindowsRunLeavesAndShowsNothing) {
    EXPECT_EQ(Run({"/silent", "--dir=" + Destination(), "--no-desktop-icon", "--no-start-menu",
                   "--no-programs-menu"}),
              ExitStatus::Success);
    EXPECT_THAT(services.Messages(), IsEmpty());
    const std::string& application = layout.applicationFolder;
    EXPECT_THAT(LogTexts(LogPath()),
                ElementsAre("Install Log Initialized", "Created Install.log Successfully",
                            "Created Directory: " + application + " Successfully",
                            "Created " + Joined(application, "Startup.txt") + " Successfully",
                            "Current User Name " + UserName(),
                            "Created Directory: " + Destination() + " Successfully",
                            "Installation Files Not Checked: the medium has no Installation.files",
                            "Copied Installation Files Successfully",
                            "Finished: Velmora_KZ 2.0.1 Installation is Complete"));
    EXPECT_THAT(Errors(), ElementsAre("Finished: Velmora_KZ 2.0.1 Installation is Complete"));
    EXPECT_EQ(ReadFile(layout.HandoverFile()), Destination() + "\r\n");
    EXPECT_TRUE(Exists(layout.RecordFile()));
    EXPECT_EQ(ReadFile(Joined(Destination(), "readme.txt")), BytesOf("readme.txt"));
    EXPECT_FALSE(Exists(Joined(DesktopFolder(), "Velmora_KZ.2.0.1.exe")));
}

TEST_F(SetupCommandLine, SilentWithoutJavaSaysSoInTheLog) {
    services.MakeMissing("java");
    EXPECT_EQ(Run({"--silent"}), ExitStatus::JavaMissing);
    EXPECT_THAT(
        LogTexts(LogPath()),
        ElementsAre("Install Log Initialized",
                    "Finished: Velmora_KZ 2.0.1 Needs Java Version 1.4.2 or Higher To Execute",
                    "Download from www.java.com", "Java Not Installed"));
    EXPECT_THAT(services.Messages(), IsEmpty());
}

TEST_F(SetupCommandLine, SilentWhileAnotherSetupInstallsTouchesNothing) {
    MakeFolders(layout.applicationFolder);
    const auto held = platform::TryLockFolder(layout.applicationFolder);
    EXPECT_EQ(Run({"--silent"}), ExitStatus::AnotherRunning);
    EXPECT_THAT(LogTexts(LogPath()), Contains(HasSubstr("Another Setup is installing")));
    EXPECT_FALSE(Exists(layout.HandoverFile()));
}

TEST_F(SetupCommandLine, SilentFailureSaysItOnTheStandardError) {
    RemoveTree(Joined(working, "readme.txt"));
    EXPECT_EQ(Run({"--silent"}), ExitStatus::Failure);
    EXPECT_THAT(Errors(), Contains("Velmora_KZ 2.0.1 Setup: Error During Setup: File not found"));
    EXPECT_THAT(services.Messages(), IsEmpty());
}

TEST_F(SetupCommandLine, LogPlaceThatCannotBeWrittenEndsBeforeAnythingIsChanged) {
    const auto before = TreeNow();
    EXPECT_EQ(Run({"--silent", "--log=" + (root / "missing" + kSeparator + "setup.log")}),
              ExitStatus::Failure);
    EXPECT_THAT(Errors(), Contains(::testing::StartsWith("Project1: Run-time error '")));
    EXPECT_EQ(TreeNow(), before);
}

// The window shows the command line's choices; the log goes where it says, and the last box
// names it where it is not beside Setup.
TEST_F(SetupCommandLine, WindowTakesTheChoicesAndTheLogGoesWhereAsked) {
    const std::string moved = root / "moved.log";
    EXPECT_EQ(Run({"--dir=" + Destination(), "/NoDesktopIcon", "--log=" + moved}),
              ExitStatus::Success);
    EXPECT_EQ(shownChecks, (std::vector<int>{0, 1}));
    EXPECT_EQ(shownText, Destination());
    EXPECT_FALSE(Exists(LogPath()));
    EXPECT_EQ(LogTexts(moved).back(), "Copied Installation Files Successfully");
    EXPECT_EQ(services.Messages().back().text,
              "Velmora_KZ 2.0.1 Installation is Complete\r\nThe log is in " + moved + ".");

    const std::string copy = root / "copy.log";
    EXPECT_EQ(Run({"--also-log=" + copy}), ExitStatus::Success);
    EXPECT_EQ(LogTexts(copy), LogTexts(LogPath()));
    EXPECT_EQ(services.Messages().back().text, "Velmora_KZ 2.0.1 Installation is Complete");
}

// A medium that refuses the log (here through the seam; a read-only mount for real in the fault
// tests) installs with its log in the fallback place, and the medium keeps its earlier log.
TEST_F(SetupCommandLine, LogTheMediumRefusesGoesToTheFallbackPlace) {
    WriteFile(LogPath(), "an earlier run\r\n");
    services.Files().FailEvery(platform::fakes::Operation::Write, kAccessDenied,
                               Joined("medium", "Install.log"));
    Start();
    controls.Type(Destination());
    ASSERT_TRUE(BeginInstall());
    EXPECT_EQ(ReadFile(LogPath()), "an earlier run\r\n");
    const auto lines = LogTexts(FallbackLog());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "Install Log Initialized here, as " + LogPath() +
                                 " cannot be written: Permission denied");
    EXPECT_EQ(lines.back(), "Copied Installation Files Successfully");
    EXPECT_EQ(services.Messages().back().text,
              "Velmora_KZ 2.0.1 Installation is Complete\r\nThe log is in " + FallbackLog() + ".");
}

}  // namespace
