// Drives Setup.exe and a launcher copy from outside, as a user would, in a Wine prefix laid out
// like a Windows 2000/XP profile.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/windows/windows_api.h"
#include "setup/core/control_table.h"
#include "setup/core/installation_files.h"
#include "setup/win32/setup_window.h"
#include "tests/wine/setup_program.h"
#include "tests/wine/wine_support.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using namespace testing_support;
using namespace wine_testing;

namespace {

HWND Focused(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(thread, &info);
    return info.hwndFocus;
}

void PressKey(HWND control, WPARAM key) {
    ::PostMessageA(control, WM_KEYDOWN, key, 1);
    ::PostMessageA(control, WM_KEYUP, key, 0xC0000001);
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
        {"Setup.exe", "Setup"}, {"Velmora_KZ.2.0.1.exe", "Velmora_KZ.2.0.1"}};
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

        // Run as invoked, never elevated or redirected; scaled whole by Windows.
        const HRSRC manifest = ::FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
        ASSERT_NE(manifest, nullptr) << file << " has no manifest";
        const std::string text(
            static_cast<const char*>(::LockResource(::LoadResource(module, manifest))),
            ::SizeofResource(module, manifest));
        EXPECT_THAT(text, HasSubstr("level=\"asInvoker\""));
        EXPECT_THAT(text, HasSubstr("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"));
        EXPECT_THAT(text, ::testing::Not(HasSubstr("dpiAware")));
        ::FreeLibrary(module);
    }
}

}  // namespace
