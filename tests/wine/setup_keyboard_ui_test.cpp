// A whole install with the keyboard alone, through Setup.exe's real window and its message loop:
// each key goes to the control that has the focus, as the keyboard delivers it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/windows/windows_api.h"
#include "setup/win32/setup_window.h"
#include "tests/wine/accessibility.h"
#include "tests/wine/setup_program.h"
#include "tests/wine/wine_support.h"

using ::testing::ElementsAre;
using namespace testing_support;
using namespace wine_testing;

namespace {

TEST_F(SetupProgram, InstallsWithTheKeyboardAlone) {
    const auto setup = StartSetup();
    const HWND form = setup->WaitForWindow(setup::kWindowClassName, "Velmora_KZ 2.0.1 Setup");
    ASSERT_NE(form, nullptr) << "no installer window";
    const DWORD thread = setup->ThreadOf(form);
    const auto control = [form](std::string_view name) { return ControlOf(form, name); };
    const auto focusReaches = [&](std::string_view name) {
        return WaitUntil([&] { return Focused(thread) == control(name); });
    };
    // Tab until the focus reaches name, the keys that pass it over pressed on each control.
    const auto tabTo = [&](std::string_view name, std::initializer_list<WPARAM> keys) {
        for (int presses = 0; presses < 9 && Focused(thread) != control(name); ++presses) {
            const HWND at = Focused(thread);
            for (const WPARAM key : keys) {
                PressKey(at, key);
            }
            PressKey(at, VK_TAB);
            WaitUntil([&] { return Focused(thread) != at; });
        }
        return Focused(thread) == control(name);
    };
    ASSERT_TRUE(focusReaches("Check1"));

    // Space unticks the box; Enter and Escape, anywhere but on a button, start and end nothing.
    PressKey(control("Check1"), VK_SPACE);
    EXPECT_TRUE(WaitUntil(
        [&] { return ::SendMessageA(control("Check1"), BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
    ASSERT_TRUE(tabTo("Dir1", {VK_RETURN, VK_ESCAPE}));

    // The arrow moves to the drive's root, which Enter opens.
    PressKey(control("Dir1"), VK_UP);
    PressKey(control("Dir1"), VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(control("Text1")) == "C:\\"; }));

    // Round again to the destination box, and on from its end.
    ASSERT_TRUE(tabTo("Text1", {VK_ESCAPE}));
    PressKey(control("Text1"), VK_END);
    Type(control("Text1"), "Velmora_KZ\\Keys");
    EXPECT_TRUE(WaitUntil([&] { return TextOf(control("Text1")) == "C:\\Velmora_KZ\\Keys"; }));
    ASSERT_TRUE(tabTo("Command1", {VK_RETURN, VK_ESCAPE}));
    EXPECT_THAT(LogTexts(LogPath()), ElementsAre("Install Log Initialized"));
    EXPECT_TRUE(::IsWindowVisible(form));

    PressKey(control("Command1"), VK_RETURN);
    const HWND box = setup->WaitForWindow("#32770", "Finished");
    ASSERT_NE(box, nullptr) << "no last box";
    const HWND text = ::GetDlgItem(box, 0xFFFF);
    EXPECT_EQ(AccessibleOf(text).name, "Velmora_KZ 2.0.1 Installation is Complete");
    ASSERT_TRUE(WaitUntil([&] { return ::IsChild(box, Focused(thread)) != FALSE; }));
    PressKey(Focused(thread), VK_RETURN);
    EXPECT_EQ(setup->WaitForEnd(), 0u);

    EXPECT_THAT(LogTexts(LogPath()),
                ElementsAre("Install Log Initialized", "Created Install.log Successfully",
                            "Created Directory: C:\\Velmora_KZ Successfully",
                            "Created C:\\Velmora_KZ\\Startup.txt Successfully",
                            "Current User Name " + UserName(), "Creating Start Menu Shortcut",
                            "Creating Program Menu Shortcut Icon",
                            "Created Directory: C:\\Velmora_KZ\\Keys Successfully",
                            "Checked Installation Files Against Installation.files Successfully",
                            "Copied Installation Files Successfully"));
    EXPECT_EQ(ReadFile("C:\\Velmora_KZ\\Start_up.txt"), "C:\\Velmora_KZ\\Keys\r\n");
    EXPECT_FALSE(Exists(Profile() + "\\Desktop\\Velmora_KZ.2.0.1.exe"));
    EXPECT_TRUE(Exists(Profile() + "\\Start Menu\\Velmora_KZ.2.0.1.exe"));
}

}  // namespace
