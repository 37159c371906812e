// Drives Setup.exe and a launcher copy from outside, as a user would, in a Wine prefix laid out
// like a Windows 2000/XP profile.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/layout.h"
#include "platform/uninstall_entry.h"
#include "platform/windows/windows_api.h"
#include "setup/core/control_table.h"
#include "setup/core/installation_files.h"
#include "setup/win32/setup_window.h"
#include "tests/wine/accessibility.h"
#include "tests/wine/setup_program.h"
#include "tests/wine/wine_support.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using namespace testing_support;
using namespace wine_testing;

namespace {

// A visible top-level window of any program, by class and caption.
HWND WaitForAnyWindow(const char* className, const std::string& caption) {
    for (DWORD waited = 0; waited < kTimeoutMs; waited += 50) {
        const HWND window = ::FindWindowA(className, caption.c_str());
        if (window != nullptr && ::IsWindowVisible(window)) {
            return window;
        }
        ::Sleep(50);
    }
    return nullptr;
}

// Runs a command line without a window to its end; its exit code.
DWORD RunToEnd(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &process)) {
        return STILL_ACTIVE;
    }
    ::WaitForSingleObject(process.hProcess, kTimeoutMs);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code;
}

// The view of the registry the 32-bit programs see; the 64-bit test build asks for it.
constexpr const char* kProgramsView = sizeof(void*) == 8 ? " /reg:32" : "";

// The registry's own query, as a user would ask it: 0 when the value is there.
DWORD RegQuery(const std::string& key, const char* value) {
    return RunToEnd("reg.exe query \"" + key + "\" /v " + value + kProgramsView);
}

// What the system is to rename or delete when it next starts.
std::string PendingRenames() {
    HKEY session = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                        0, KEY_QUERY_VALUE, &session) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<char> pending(1 << 16);
    DWORD size = static_cast<DWORD>(pending.size());
    if (::RegQueryValueExA(session, "PendingFileRenameOperations", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(pending.data()), &size) != ERROR_SUCCESS) {
        size = 0;
    }
    ::RegCloseKey(session);
    return std::string(pending.data(), size);
}

TEST_F(SetupProgram, InstallsThroughItsWindowAndTheLauncherStartsTheApplication) {
    const auto setup = StartSetup();
    const HWND form = setup->WaitForWindow(setup::kWindowClassName, "Velmora_KZ 2.0.1 Setup");
    ASSERT_NE(form, nullptr) << "no installer window";
    const auto control = [form](std::string_view name) { return ControlOf(form, name); };

    const DWORD thread = setup->ThreadOf(form);
    // The window shows a moment before Wine makes it active and gives it the focus.
    EXPECT_TRUE(WaitUntil([&] { return Focused(thread) == control("Check1"); }))
        << "the focus starts on Check1";

    PressKey(control("Check1"), VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return Focused(thread) == control("Check2"); }))
        << "Tab moves on to Check2";
    PressKey(control("Text1"), VK_RETURN);
    PressKey(control("Text1"), VK_ESCAPE);
    ::Sleep(500);
    EXPECT_TRUE(::IsWindowVisible(form)) << "Enter and Escape end nothing";
    EXPECT_THAT(LogTexts(LogPath()), ElementsAre("Install Log Initialized"));

    // Another drive, then back to C:, whose current folder is the one Setup started in.
    const HWND drives = control("Drive1");
    const auto selectDrive = [&](const std::string& drive) {
        const auto index = ::SendMessageA(drives, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                          reinterpret_cast<LPARAM>(drive.c_str()));
        ::SendMessageA(drives, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::SendMessageA(form, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(drives), CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(drives));
    };
    selectDrive("Z:");
    EXPECT_THAT(TextOf(control("Text1")), ::testing::StartsWith("Z:\\"));
    selectDrive("C:");
    EXPECT_EQ(TextOf(control("Text1")), kMedium);

    ::SendMessageA(control("Text1"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kApplicationFolder));

    ::PostMessageA(control("Command1"), BM_CLICK, 0, 0);
    EXPECT_EQ(AnswerMessageBox(*setup, "Finished"), "Velmora_KZ 2.0.1 Installation is Complete");
    EXPECT_EQ(setup->WaitForEnd(), 0u);

    EXPECT_THAT(LogTexts(LogPath()),
                ElementsAre("Install Log Initialized", "Created Install.log Successfully",
                            "Created Directory: C:\\Velmora_KZ Successfully",
                            "Created C:\\Velmora_KZ\\Startup.txt Successfully",
                            "Current User Name " + UserName(), "Creating Desktop Icon",
                            "Creating Start Menu Shortcut", "Creating Program Menu Shortcut Icon",
                            "Checked Installation Files Against Installation.files Successfully",
                            "Copied Installation Files Successfully"));
    EXPECT_EQ(ReadFile("C:\\Velmora_KZ\\Start_up.txt"), "C:\\Velmora_KZ\r\n");
    for (const auto name : setup::kInstallationFiles) {
        const std::string file(name);
        EXPECT_EQ(ReadFile(std::string(kApplicationFolder) + "\\" + file),
                  ReadFile(MediumSource() + "\\" + file))
            << file;
    }
    const std::string launcher = ReadFile(MediumSource() + "\\Velmora_KZ.2.0.1.exe");
    for (const char* place : {"\\Desktop", "\\Start Menu", "\\Start Menu\\Programs"}) {
        EXPECT_EQ(ReadFile(Profile() + place + "\\Velmora_KZ.2.0.1.exe"), launcher) << place;
    }

    // Started from the desktop, as a double-click there does.
    const Program copy(Profile() + "\\Desktop\\Velmora_KZ.2.0.1.exe", Profile() + "\\Desktop");
    EXPECT_EQ(WaitForFile("C:\\Velmora_KZ\\Velmora_KZ.started"), "C:\\Velmora_KZ\r\n");
    const HWND bare = copy.WaitForWindow(nullptr, "Form1");
    ASSERT_NE(bare, nullptr) << "no launcher window";
    RECT client{};
    ::GetClientRect(bare, &client);
    EXPECT_EQ(client.right, 312);
    EXPECT_EQ(client.bottom, 206);
    EXPECT_EQ(AccessibleOf(bare).name, "Form1");
    ::PostMessageA(bare, WM_CLOSE, 0, 0);
    EXPECT_EQ(copy.WaitForEnd(), 0u);
}

TEST_F(SetupProgram, WithoutJavaExplainsAndNeverShowsItsWindow) {
    ProvideJava(false);
    const auto setup = StartSetup();
    ASSERT_NE(setup->WaitForWindow("#32770", "Finished"), nullptr);
    const HWND form = setup->FindTopWindow(setup::kWindowClassName, "Velmora_KZ 2.0.1 Setup");
    EXPECT_TRUE(form == nullptr || !::IsWindowVisible(form));
    EXPECT_THAT(AnswerMessageBox(*setup, "Finished"),
                HasSubstr("Velmora_KZ 2.0.1 Needs Java Version 1.4.2 or Higher To Execute"));
    EXPECT_EQ(setup->WaitForEnd(), 1u);
    EXPECT_THAT(LogTexts(LogPath()), ElementsAre("Install Log Initialized", "Java Not Installed"));
}

TEST_F(SetupProgram, CancelEndsAtOnceWithOnlyTheStartLine) {
    const auto setup = StartSetup();
    const HWND form = setup->WaitForWindow(setup::kWindowClassName, "Velmora_KZ 2.0.1 Setup");
    ASSERT_NE(form, nullptr);
    ::PostMessageA(ControlOf(form, "Command2"), BM_CLICK, 0, 0);
    EXPECT_EQ(setup->WaitForEnd(), 0u);
    EXPECT_THAT(LogTexts(LogPath()), ElementsAre("Install Log Initialized"));
    EXPECT_FALSE(Exists(kApplicationFolder));
}

// Before any installation there is no application folder: the runtime's error box, then the end.
TEST_F(SetupProgram, LauncherWithoutAnInstallationReportsTheRuntimeError) {
    const Program launcher(std::string(kMedium) + "\\Velmora_KZ.2.0.1.exe", kMedium);
    EXPECT_EQ(AnswerMessageBox(launcher, "Project1"),
              "Run-time error '76':\r\n\r\nPath not found\r\nC:\\Velmora_KZ\\");
    EXPECT_EQ(launcher.WaitForEnd(), 1u);
    EXPECT_EQ(launcher.FindTopWindow(nullptr, "Form1"), nullptr);
}

// Ours among the names in the user's temporary folder.
std::vector<std::string> OursInTheTemporaryFolder() {
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH + 1, temp);
    std::vector<std::string> ours;
    for (const auto& name : FolderEntries(temp)) {
        if (name.starts_with("Velmora_KZ-uninstall-")) {
            ours.push_back(name);
        }
    }
    return ours;
}

// The whole round through the real programs, by an administrator and by a standard user: Setup
// enters the uninstaller in the list of installed programs; Uninstall hands over to its copy,
// which asks (No the default), removes the install with its entry and reports; the program
// started first ends with the copy's status, and nothing of either is left in the temporary
// folder, nor listed for the next start.
class UninstallRound : public SetupProgram, public ::testing::WithParamInterface<bool> {};

TEST_P(UninstallRound, TakesOffWhatTheInstallMadeThroughItsBoxes) {
    const bool standardUser = GetParam();
    const std::string key = platform::UninstallKeyName(standardUser ? platform::Scope::ThisUser
                                                                    : platform::Scope::Everyone);
    RunToEnd("reg.exe delete \"" + key + "\" /f" + kProgramsView);
    const auto setup = StartSetup(standardUser);
    const HWND form = setup->WaitForWindow(setup::kWindowClassName, "Velmora_KZ 2.0.1 Setup");
    ASSERT_NE(form, nullptr);
    ::SendMessageA(ControlOf(form, "Text1"), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(kApplicationFolder));
    ::PostMessageA(ControlOf(form, "Command1"), BM_CLICK, 0, 0);
    EXPECT_EQ(AnswerMessageBox(*setup, "Finished"), "Velmora_KZ 2.0.1 Installation is Complete");
    ASSERT_EQ(setup->WaitForEnd(), 0u);
    const std::string uninstaller = std::string(kApplicationFolder) + "\\Uninstall.exe";
    for (const char* value :
         {"DisplayName", "DisplayVersion", "InstallLocation", "UninstallString", "DisplayIcon",
          "EstimatedSize", "InstallDate", "NoModify", "NoRepair"}) {
        EXPECT_EQ(RegQuery(key, value), 0u) << value << " under " << key;
    }
    // What an earlier run of the tests left.
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH + 1, temp);
    for (const auto& name : OursInTheTemporaryFolder()) {
        RemoveTree(temp + name);
    }
    HKEY sessionManager = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                        0, KEY_SET_VALUE, &sessionManager) == ERROR_SUCCESS) {
        ::RegDeleteValueA(sessionManager, "PendingFileRenameOperations");
        ::RegCloseKey(sessionManager);
    }

    const Program original(uninstaller, kApplicationFolder, standardUser);
    const HWND question = WaitForAnyWindow("#32770", "Uninstall Velmora_KZ 2.0.1");
    ASSERT_NE(question, nullptr) << "no question box";
    DWORD copyId = 0;
    ::GetWindowThreadProcessId(question, &copyId);
    EXPECT_NE(copyId, original.Id());
    EXPECT_EQ(original.WaitForEnd(0), STILL_ACTIVE) << "it waits for the copy's work";
    EXPECT_THAT(TextOf(::GetDlgItem(question, 0xFFFF)), HasSubstr("\r\nC:\\Velmora_KZ\r\n"));
    const auto isDefault = [question](int button) {
        return (::GetWindowLongA(::GetDlgItem(question, button), GWL_STYLE) & BS_DEFPUSHBUTTON) !=
               0;
    };
    EXPECT_TRUE(isDefault(IDNO) && !isDefault(IDYES)) << "No is the default";
    EXPECT_EQ(AccessibleOf(::GetDlgItem(question, 0xFFFF)).name,
              TextOf(::GetDlgItem(question, 0xFFFF)));
    EXPECT_EQ(AccessibleOf(::GetDlgItem(question, IDYES)).name, "Yes");
    EXPECT_EQ(AccessibleOf(::GetDlgItem(question, IDNO)).name, "No");
    ::PostMessageA(::GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(question); }));

    const HWND report = WaitForAnyWindow("#32770", "Uninstall Velmora_KZ 2.0.1");
    ASSERT_NE(report, nullptr) << "no report box";
    EXPECT_THAT(TextOf(::GetDlgItem(report, 0xFFFF)),
                ::testing::StartsWith("Velmora_KZ 2.0.1 has been removed: "));
    EXPECT_EQ(AccessibleOf(::GetDlgItem(report, 0xFFFF)).name,
              TextOf(::GetDlgItem(report, 0xFFFF)));
    ::PostMessageA(::GetDlgItem(report, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(original.WaitForEnd(), 0u);

    EXPECT_FALSE(Exists(kApplicationFolder));
    for (const char* place : {"\\Desktop", "\\Start Menu", "\\Start Menu\\Programs"}) {
        EXPECT_FALSE(Exists(Profile() + place + "\\Velmora_KZ.2.0.1.exe")) << place;
        EXPECT_TRUE(Exists(Profile() + place)) << place;
    }
    EXPECT_FALSE(Exists(Profile() + "\\Start Menu\\Programs\\" + setup::kStartMenuShortcut))
        << "the shortcut the system wrote is known as placed";
    EXPECT_NE(RegQuery(key, "DisplayName"), 0u) << "the entry is gone";
    EXPECT_TRUE(WaitUntil([] { return OursInTheTemporaryFolder().empty(); }))
        << "the copy and the moved original go once both have ended";
    EXPECT_THAT(PendingRenames(), ::testing::Not(HasSubstr("Velmora_KZ-uninstall-")))
        << "nothing is left for the next start";
}

INSTANTIATE_TEST_SUITE_P(By, UninstallRound, ::testing::Values(false, true), [](const auto& info) {
    return info.param ? "StandardUser" : "Administrator";
});

// The one change the programs make to the registry, in each scope's place, read back as it was
// written (a failed upgrade puts an earlier one back so), and its removal.
TEST(UninstallEntry, IsWrittenWhereItsScopeBelongsAndRemovedOnce) {
    const platform::UninstallEntry entry{
        "D:\\Apps", "\"C:\\Velmora_KZ\\Uninstall.exe\"", "D:\\Apps\\Velmora_KZ.2.0.1.exe", 123, {}};
    for (const auto scope : {platform::Scope::ThisUser, platform::Scope::Everyone}) {
        const HKEY root =
            scope == platform::Scope::Everyone ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        const REGSAM view = scope == platform::Scope::Everyone ? KEY_WOW64_32KEY : 0;
        platform::WriteUninstallEntry(scope, entry);
        HKEY key = nullptr;
        ASSERT_EQ(::RegOpenKeyExA(root, platform::kUninstallKey, 0, KEY_READ | view, &key),
                  ERROR_SUCCESS);
        const auto text = [key](const char* name) {
            char value[512] = {};
            DWORD size = sizeof value;
            ::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
            return std::string(value);
        };
        const auto number = [key](const char* name) {
            DWORD value = 0;
            DWORD size = sizeof value;
            ::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
            return value;
        };
        EXPECT_EQ(text("DisplayName"), "Velmora_KZ 2.0.1");
        EXPECT_EQ(text("DisplayVersion"), "2.0.1");
        EXPECT_EQ(text("InstallLocation"), entry.installLocation);
        EXPECT_EQ(text("UninstallString"), entry.uninstallString);
        EXPECT_EQ(text("DisplayIcon"), entry.displayIcon);
        const std::string date = text("InstallDate");
        EXPECT_TRUE(date.size() == 8 && date.starts_with("20") &&
                    date.find_first_not_of("0123456789") == std::string::npos)
            << date;
        EXPECT_EQ(number("EstimatedSize"), 123u);
        EXPECT_EQ(number("NoModify"), 1u);
        EXPECT_EQ(number("NoRepair"), 1u);
        ::RegCloseKey(key);
        auto earlier = entry;
        earlier.installDate = date;
        EXPECT_EQ(platform::ReadUninstallEntry(scope), earlier);
        earlier.installDate = "20250101";
        platform::WriteUninstallEntry(scope, earlier);
        EXPECT_EQ(platform::ReadUninstallEntry(scope), earlier) << "its own date kept";

        platform::RemoveUninstallEntry(scope);
        EXPECT_EQ(RegQuery(platform::UninstallKeyName(scope), "DisplayName"), 1u);
        EXPECT_NO_THROW(platform::RemoveUninstallEntry(scope)) << "nothing there is no failure";
        EXPECT_EQ(platform::ReadUninstallEntry(scope), std::nullopt);
    }
}

std::string VersionValue(const std::vector<char>& record, const std::string& name) {
    void* value = nullptr;
    UINT length = 0;
    const std::string key = "\\StringFileInfo\\040904b0\\" + name;
    if (!::VerQueryValueA(record.data(), key.c_str(), &value, &length) || length == 0) {
        return "<none>";
    }
    return static_cast<const char*>(value);
}

// Each program's version record names it, and each carries the five-image program icon.
TEST(ProgramFiles, CarryTheirVersionRecordAndTheIcon) {
    const std::pair<const char*, const char*> programs[] = {
        {"Setup.exe", "Setup"},
        {"Velmora_KZ.2.0.1.exe", "Velmora_KZ.2.0.1"},
        {"Uninstall.exe", "Uninstall"}};
    for (const auto& [file, name] : programs) {
        const std::string path = MediumSource() + "\\" + file;
        DWORD ignored = 0;
        std::vector<char> record(::GetFileVersionInfoSizeA(path.c_str(), &ignored));
        ASSERT_FALSE(record.empty()) << file;
        ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(record.size()),
                                          record.data()));
        EXPECT_EQ(VersionValue(record, "FileVersion"), "1.00") << file;
        EXPECT_EQ(VersionValue(record, "ProductVersion"), "1.00") << file;
        EXPECT_EQ(VersionValue(record, "ProductName"), name) << file;
        EXPECT_EQ(VersionValue(record, "InternalName"), name) << file;
        EXPECT_EQ(VersionValue(record, "OriginalFilename"), file) << file;

        const HMODULE module = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << file;
        const HRSRC group = ::FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14));
        ASSERT_NE(group, nullptr) << file << " has no icon";
        const auto* directory =
            static_cast<const WORD*>(::LockResource(::LoadResource(module, group)));
        EXPECT_EQ(directory[2], 5) << file << ": images in the icon";

        // Run as invoked, never elevated or redirected; drawn at each monitor's resolution.
        const HRSRC manifest = ::FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
        ASSERT_NE(manifest, nullptr) << file << " has no manifest";
        const std::string text(
            static_cast<const char*>(::LockResource(::LoadResource(module, manifest))),
            ::SizeofResource(module, manifest));
        EXPECT_THAT(text, HasSubstr("level=\"asInvoker\""));
        EXPECT_THAT(text, HasSubstr("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"));
        EXPECT_THAT(text, HasSubstr(">true/pm</dpiAware>"));
        EXPECT_THAT(text, HasSubstr(">PerMonitorV2, PerMonitor</dpiAwareness>"));
        ::FreeLibrary(module);
    }
}

}  // namespace
