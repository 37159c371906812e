// Setup.exe and Uninstall.exe of the medium with their command lines, as a deployment tool runs
// them: silent, with nothing waiting for a person, and through their windows, each ending with
// its exit code.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/layout.h"
#include "platform/platform.h"
#include "platform/uninstall_entry.h"
#include "platform/windows/windows_api.h"
#include "setup/win32/setup_window.h"
#include "tests/wine/setup_program.h"
#include "tests/wine/wine_support.h"

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using namespace testing_support;
using namespace wine_testing;

namespace {

constexpr DWORD kSuccess = 0;
constexpr DWORD kFailed = 1603;
constexpr DWORD kCancelled = 1602;
constexpr DWORD kAnotherRunning = 1618;
constexpr DWORD kBadCommandLine = 1639;
constexpr DWORD kImpossibleScope = 740;
constexpr DWORD kJavaMissing = 15613;
constexpr DWORD kNothingToRemove = 1605;

const std::string kApps = "C:\\Velmora_KZ Apps";

std::string TemporaryFolder() {
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH + 1, temp);
    return temp;
}

// Runs a program to its end, its standard error into a file; its exit code, or STILL_ACTIVE when
// it did not end (a box that waits for a person).
DWORD RunToItsEnd(const std::string& program, const std::string& arguments,
                  const std::string& errors) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE file = ::CreateFileW(platform::Wide(errors).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file;
    startup.hStdError = file;
    std::wstring commandLine = platform::Wide("\"" + program + "\" " + arguments);
    const std::string folder = program.substr(0, program.rfind('\\'));
    PROCESS_INFORMATION process{};
    DWORD code = STILL_ACTIVE;
    if (::CreateProcessW(platform::Wide(program).c_str(), commandLine.data(), nullptr, nullptr,
                         TRUE, 0, nullptr, platform::Wide(folder).c_str(), &startup, &process)) {
        if (::WaitForSingleObject(process.hProcess, kTimeoutMs) == WAIT_TIMEOUT) {
            ::TerminateProcess(process.hProcess, STILL_ACTIVE);
        } else {
            ::GetExitCodeProcess(process.hProcess, &code);
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(file);
    return code;
}

class CommandLineProgram : public SetupProgram {
protected:
    CommandLineProgram() {
        RemoveTree(kApps);
        RemoveTree(TemporaryFolder() + "Velmora_KZ");
    }
    ~CommandLineProgram() override { RemoveTree(kApps); }

    DWORD Setup(const std::string& arguments) {
        return RunToItsEnd(std::string(kMedium) + "\\Setup.exe", arguments, Errors());
    }
    DWORD Uninstall(const std::string& arguments) {
        return RunToItsEnd(std::string(kApplicationFolder) + "\\Uninstall.exe", arguments,
                           Errors());
    }
    std::string Errors() const { return std::string(kMedium) + "\\errors.txt"; }
    // The box a program started with arguments shows first, answered; its text.
    static std::string FirstBoxOf(const Program& program, const std::string& title) {
        return AnswerMessageBox(program, title);
    }
    // "Begin Install" pressed in the window, and the last box answered, whichever it is; its text.
    static std::string BeginAndAnswer(const Program& setup) {
        const HWND form = setup.WaitForWindow(setup::kWindowClassName, "Velmora_KZ 2.0.1 Setup");
        if (form == nullptr) {
            return "<no installer window>";
        }
        ::PostMessageA(ControlOf(form, "Command1"), BM_CLICK, 0, 0);
        HWND box = nullptr;
        WaitUntil([&] {
            for (const char* title : {"Finished", "Velmora_KZ 2.0.1 Setup"}) {
                box = setup.FindTopWindow("#32770", title);
                if (box != nullptr && ::IsWindowVisible(box)) {
                    return true;
                }
            }
            return false;
        });
        if (box == nullptr) {
            return "<no box>";
        }
        const std::string text = TextOf(::GetDlgItem(box, 0xFFFF));
        ::PostMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        return text;
    }
};

// The value a management tool's detection rule reads; "" when there is none.
std::string DisplayVersion() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, platform::kUninstallKey, 0, KEY_READ | KEY_WOW64_32KEY,
                        &key) != ERROR_SUCCESS) {
        return {};
    }
    char value[64] = {};
    DWORD size = sizeof value;
    if (::RegQueryValueExA(key, "DisplayVersion", nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                           &size) != ERROR_SUCCESS) {
        value[0] = '\0';
    }
    ::RegCloseKey(key);
    return value;
}

std::vector<std::string> OursInTheTemporaryFolder() {
    std::vector<std::string> ours;
    for (const auto& name : FolderEntries(TemporaryFolder())) {
        if (name.starts_with("Velmora_KZ-uninstall-")) {
            ours.push_back(name);
        }
    }
    return ours;
}

// The deployment round: a silent install into a chosen folder without shortcuts, a silent
// upgrade, a silent removal; no window or box, each ending with 0, and the log, the record and
// the uninstall entry as a window's run leaves them.
TEST_F(CommandLineProgram, SilentInstallUpgradeAndRemovalNeedNobody) {
    const std::string key = platform::UninstallKeyName(platform::Scope::Everyone);
    EXPECT_EQ(Setup("/silent /dir=\"" + kApps + "\" /NoDesktopIcon /NoStartMenu /NoProgramsMenu"),
              kSuccess);
    const auto log = LogTexts(LogPath());
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[1], "Created Install.log Successfully");
    EXPECT_EQ(log[log.size() - 2], "Copied Installation Files Successfully");
    EXPECT_EQ(log.back(), "Finished: Velmora_KZ 2.0.1 Installation is Complete");
    EXPECT_THAT(ReadFile(Errors()),
                HasSubstr("Finished: Velmora_KZ 2.0.1 Installation is Complete"))
        << "said on the standard error";
    EXPECT_EQ(ReadFile(std::string(kApplicationFolder) + "\\Start_up.txt"), kApps + "\r\n");
    EXPECT_THAT(ReadFile(std::string(kApplicationFolder) + "\\Install.record"),
                HasSubstr("install " + kApps));
    for (const char* place : {"\\Desktop", "\\Start Menu", "\\Start Menu\\Programs"}) {
        EXPECT_FALSE(Exists(Profile() + place + "\\Velmora_KZ.2.0.1.exe")) << place;
    }

    EXPECT_EQ(Setup("/silent /dir=\"" + kApps + "\""), kSuccess) << "the upgrade";
    EXPECT_TRUE(Exists(Profile() + "\\Desktop\\Velmora_KZ.2.0.1.exe"));
    EXPECT_EQ(DisplayVersion(), "2.0.1") << "the detection rule's value under " << key;

    EXPECT_EQ(Uninstall("/silent"), kSuccess);
    EXPECT_FALSE(Exists(kApps));
    EXPECT_FALSE(Exists(kApplicationFolder));
    EXPECT_FALSE(Exists(Profile() + "\\Desktop\\Velmora_KZ.2.0.1.exe"));
    EXPECT_EQ(DisplayVersion(), "");
    EXPECT_THAT(LogTexts(TemporaryFolder() + "Velmora_KZ\\Uninstall.log"),
                Contains(::testing::StartsWith(
                    "Uninstall Velmora_KZ 2.0.1: Velmora_KZ 2.0.1 has been removed: ")));
    EXPECT_TRUE(WaitUntil([] { return OursInTheTemporaryFolder().empty(); }));
    EXPECT_EQ(RunToItsEnd(std::string(kMedium) + "\\Uninstall.exe", "/silent", Errors()),
              kNothingToRemove);
}

// Nothing is done, and nothing waits for a person, when the command line cannot be followed.
TEST_F(CommandLineProgram, RefusedCommandLinesChangeNothing) {
    EXPECT_EQ(Setup("/silent /bogus"), kBadCommandLine);
    EXPECT_THAT(ReadFile(Errors()), HasSubstr("unknown option /bogus"));
    EXPECT_EQ(Setup("/silent /CurrentUser"), kImpossibleScope) << "an administrator's";
    const Program asUser(std::string(kMedium) + "\\Setup.exe", kMedium, true, "/silent /AllUsers");
    EXPECT_EQ(asUser.WaitForEnd(), kImpossibleScope) << "a standard user's";
    EXPECT_FALSE(Exists(LogPath()));
    EXPECT_FALSE(Exists(kApplicationFolder));

    const auto bad = StartSetup(false, "/bogus");
    EXPECT_THAT(FirstBoxOf(*bad, "Velmora_KZ 2.0.1 Setup"), HasSubstr("unknown option /bogus"));
    EXPECT_EQ(bad->WaitForEnd(), kBadCommandLine);
    const auto scope = StartSetup(true, "/AllUsers");
    EXPECT_THAT(FirstBoxOf(*scope, "Velmora_KZ 2.0.1 Setup"), HasSubstr("needs an administrator"));
    EXPECT_EQ(scope->WaitForEnd(), kImpossibleScope);
    const auto help = StartSetup(false, "/?");
    EXPECT_THAT(FirstBoxOf(*help, "Velmora_KZ 2.0.1 Setup"), HasSubstr("/nodesktopicon"));
    EXPECT_EQ(help->WaitForEnd(), kSuccess);
    EXPECT_FALSE(Exists(LogPath()));
}

TEST_F(CommandLineProgram, JavaMissingSilentOrNot) {
    ProvideJava(false);
    EXPECT_EQ(Setup("/silent"), kJavaMissing);
    EXPECT_EQ(LogTexts(LogPath()).back(), "Java Not Installed");
    const auto setup = StartSetup(false, "/dir=\"" + kApps + "\"");
    EXPECT_THAT(FirstBoxOf(*setup, "Finished"), HasSubstr("Needs Java"));
    EXPECT_EQ(setup->WaitForEnd(), kJavaMissing);
}

TEST_F(CommandLineProgram, AnotherSetupInstallingSilentOrNot) {
    MakeFolders(kApplicationFolder);
    auto held = platform::TryLockFolder(kApplicationFolder);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(Setup("/silent"), kAnotherRunning);
    const auto setup = StartSetup(false, "/dir=\"" + kApps + "\"");
    EXPECT_THAT(BeginAndAnswer(*setup), HasSubstr("Another Setup is installing"));
    EXPECT_EQ(setup->WaitForEnd(), kAnotherRunning);
    EXPECT_FALSE(Exists(std::string(kApplicationFolder) + "\\Start_up.txt"));
}

// Through the window with arguments: the window shows them, and its endings take the table's
// codes; a failure keeps the earlier installation.
TEST_F(CommandLineProgram, WindowWithArgumentsEndsWithTheTablesCodes) {
    auto setup = StartSetup(false, "/dir=\"" + kApps + "\" /NoDesktopIcon");
    const HWND form = setup->WaitForWindow(setup::kWindowClassName, "Velmora_KZ 2.0.1 Setup");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(TextOf(ControlOf(form, "Text1")), kApps);
    EXPECT_EQ(::SendMessageA(ControlOf(form, "Check1"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    ::PostMessageA(ControlOf(form, "Command1"), BM_CLICK, 0, 0);
    EXPECT_EQ(AnswerMessageBox(*setup, "Finished"), "Velmora_KZ 2.0.1 Installation is Complete");
    EXPECT_EQ(setup->WaitForEnd(), kSuccess);
    EXPECT_FALSE(Exists(Profile() + "\\Desktop\\Velmora_KZ.2.0.1.exe"));

    ::DeleteFileA((std::string(kMedium) + "\\readme.txt").c_str());
    EXPECT_EQ(Setup("/silent /dir=\"" + kApps + "\""), kFailed);
    setup = StartSetup(false, "/dir=\"" + kApps + "\"");
    EXPECT_THAT(BeginAndAnswer(*setup), HasSubstr("File not found"));
    EXPECT_EQ(setup->WaitForEnd(), kFailed);
    EXPECT_EQ(ReadFile(kApps + "\\readme.txt"), ReadFile(MediumSource() + "\\readme.txt"))
        << "the earlier installation is kept";

    setup = StartSetup(false, "/dir=\"" + kApps + "\"");
    const HWND again = setup->WaitForWindow(setup::kWindowClassName, "Velmora_KZ 2.0.1 Setup");
    ASSERT_NE(again, nullptr);
    ::PostMessageA(ControlOf(again, "Command2"), BM_CLICK, 0, 0);
    EXPECT_EQ(setup->WaitForEnd(), kCancelled);

    const Program uninstall(std::string(kApplicationFolder) + "\\Uninstall.exe", kApplicationFolder,
                            false, "/log=C:\\uninstall.log");
    // The question is the copy's.
    HWND question = nullptr;
    EXPECT_TRUE(WaitUntil([&question] {
        question = ::FindWindowA("#32770", "Uninstall Velmora_KZ 2.0.1");
        return question != nullptr && ::IsWindowVisible(question);
    }));
    ::PostMessageA(::GetDlgItem(question, IDNO), BM_CLICK, 0, 0);
    EXPECT_EQ(uninstall.WaitForEnd(), kCancelled) << "the original ends with the copy's status";
    EXPECT_EQ(LogTexts("C:\\uninstall.log").back(), "No");
    ::DeleteFileA("C:\\uninstall.log");
}

}  // namespace
