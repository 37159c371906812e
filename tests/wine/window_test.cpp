#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "gui/win32/dots_per_inch.h"
#include "gui/win32/program_entry.h"
#include "platform/layout.h"
#include "platform/platform.h"
#include "platform/windows/windows_api.h"
#include "setup/win32/setup_window.h"
#include "tests/wine/accessibility.h"
#include "tests/wine/wine_support.h"
// After <windows.h>, which it needs.
#include <oleacc.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using namespace testing_support;
using namespace wine_testing;
using setup::CheckBox;

namespace {

std::string ClassOf(HWND window) {
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

LOGFONTA FontOf(HWND control) {
    LOGFONTA font{};
    const auto handle = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
    ::GetObjectA(handle, sizeof font, &font);
    return font;
}

// The list line showing a folder's name, indented by its depth; -1 if none does.
int LineShowing(HWND list, const std::string& name) {
    const auto count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int line = 0; line < count; ++line) {
        char text[512] = {};
        ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text));
        const std::string shown = text;
        const auto start = shown.find_first_not_of(' ');
        if (start != std::string::npos && shown.substr(start) == name) {
            return line;
        }
    }
    return -1;
}

// The installer window of a medium in a temporary folder, with its real controls.
class SetupWindow : public ::testing::Test {
protected:
    SetupWindow() : layout(platform::LayoutRootedIn(root.Path())), medium(root / "medium") {
        MakeFolders(medium + "\\sub one");
        MakeFolders(medium + "\\sub two");
        StartIn(medium);
        window = std::make_unique<setup::Win32Window>(services, layout);
    }

    void Load() { window->LoadAndShow(SW_SHOWNORMAL); }
    HWND Control(std::string_view name) const { return window->Control(name); }
    const setup::Form1& Form() const { return window->Logic(); }

    RECT PlaceOf(HWND control) const {
        RECT place{};
        ::GetWindowRect(control, &place);
        ::MapWindowPoints(nullptr, window->Handle(), reinterpret_cast<POINT*>(&place), 2);
        return place;
    }

    void Notify(std::string_view name, WORD code) const {
        const HWND control = Control(name);
        ::SendMessageA(window->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), code),
                       reinterpret_cast<LPARAM>(control));
    }

    FolderAndPathGuard guard;
    TempFolder root;
    RecordingServices services;
    platform::Layout layout;
    std::string medium;
    AnnotationRecorder annotations;
    std::unique_ptr<setup::Win32Window> window;
};

// A few places in pixels from the window's client area, and captions with their odd spacing.
struct PinnedControl {
    const char* name;
    RECT place;
    const char* caption;
};
constexpr PinnedControl kPinnedControls[] = {
    {"Label1", {32, 24, 457, 65}, "Velmora_KZ 2.0.1 Installation"},
    {"Frame1", {48, 80, 425, 601}, "Velmora_KZ 3-Step Install Process"},
    {"Check3", {128, 184, 369, 201}, "Add Program Menu  Icon"},
    {"Label4", {128, 304, 393, 321}, "Choose Install DestinationDirectory"},
    {"Dir1", {128, 320, 321, 521}, ""},
    {"Command2", {240, 552, 337, 577}, "Cancel Install"},
};

TEST_F(SetupWindow, ControlsSitAtTheirPlacesWithTheirCaptions) {
    RECT client{};
    ::GetClientRect(window->Handle(), &client);
    EXPECT_EQ(client.right, 626);
    EXPECT_EQ(client.bottom, 618);
    EXPECT_EQ(TextOf(window->Handle()), "Velmora_KZ 2.0.1 Setup");
    for (const auto& pinned : kPinnedControls) {
        SCOPED_TRACE(pinned.name);
        const HWND control = Control(pinned.name);
        ASSERT_NE(control, nullptr);
        const RECT place = PlaceOf(control);
        EXPECT_EQ(place.left, pinned.place.left);
        EXPECT_EQ(place.top, pinned.place.top);
        EXPECT_EQ(place.right, pinned.place.right);
        EXPECT_EQ(place.bottom, pinned.place.bottom);
        EXPECT_EQ(TextOf(control), pinned.caption);
    }
    EXPECT_EQ(TextOf(Control("Text1")), layout.applicationFolder);
    EXPECT_EQ(ClassOf(Control("Drive1")), "ComboBox");
    EXPECT_EQ(ClassOf(Control("Dir1")), "ListBox");
}

// The same places at each screen resolution, laid out from the twips there (edges rounded to the
// nearest pixel), with the fonts at their point sizes and the step pictures filling their boxes.
struct ScaledPlace {
    const char* name;
    RECT place;
};
struct ScaledLayout {
    int dotsPerInch;
    SIZE client;
    int titleFont;    // Times New Roman 24 pt, in pixels
    int verdanaFont;  // Verdana 8.25 pt
    ScaledPlace places[7];
};
constexpr ScaledLayout kScaledLayouts[] = {
    {96,
     {626, 618},
     32,
     11,
     {{"Label1", {32, 24, 457, 65}},
      {"Frame1", {48, 80, 425, 601}},
      {"Check3", {128, 184, 369, 201}},
      {"Drive1", {128, 280, 321, 301}},
      {"Dir1", {128, 320, 321, 521}},
      {"Command2", {240, 552, 337, 577}},
      {"Image2", {56, 232, 96, 274}}}},
    {120,
     {783, 773},
     40,
     14,
     {{"Label1", {40, 30, 571, 81}},
      {"Frame1", {60, 100, 531, 751}},
      {"Check3", {160, 230, 461, 251}},
      {"Drive1", {160, 350, 401, 376}},
      {"Dir1", {160, 400, 401, 651}},
      {"Command2", {300, 690, 421, 721}},
      {"Image2", {70, 290, 120, 343}}}},
    {144,
     {939, 927},
     48,
     17,
     {{"Label1", {48, 36, 686, 98}},
      {"Frame1", {72, 120, 638, 902}},
      {"Check3", {192, 276, 554, 302}},
      {"Drive1", {192, 420, 482, 452}},
      {"Dir1", {192, 480, 482, 782}},
      {"Command2", {360, 828, 506, 866}},
      {"Image2", {84, 348, 144, 411}}}},
    {192,
     {1252, 1236},
     64,
     22,
     {{"Label1", {64, 48, 914, 130}},
      {"Frame1", {96, 160, 850, 1202}},
      {"Check3", {256, 368, 738, 402}},
      {"Drive1", {256, 560, 642, 602}},
      {"Dir1", {256, 640, 642, 1042}},
      {"Command2", {480, 1104, 674, 1154}},
      {"Image2", {112, 464, 192, 548}}}},
};

const ScaledLayout* LayoutAt(int dotsPerInch) {
    for (const auto& layout : kScaledLayouts) {
        if (layout.dotsPerInch == dotsPerInch) {
            return &layout;
        }
    }
    return nullptr;
}

int ScreenDotsPerInch() {
    const HDC screen = ::GetDC(nullptr);
    const int dotsPerInch = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dotsPerInch;
}

// A picture, not a blank: white around the ring, and colours in it.
bool ShowsAPicture(HBITMAP bitmap) {
    BITMAP size{};
    ::GetObjectA(bitmap, sizeof size, &size);
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ before = ::SelectObject(dc, bitmap);
    int white = 0;
    int coloured = 0;
    for (int x = 0; x < size.bmWidth; ++x) {
        for (int y = 0; y < size.bmHeight; ++y) {
            (::GetPixel(dc, x, y) == RGB(255, 255, 255) ? white : coloured) += 1;
        }
    }
    ::SelectObject(dc, before);
    ::DeleteDC(dc);
    return white > 0 && coloured > 0;
}

class ScaledSetupWindow : public SetupWindow {
protected:
    void ExpectControlsLaidOutAs(const ScaledLayout& expected) const {
        SCOPED_TRACE(std::to_string(expected.dotsPerInch) + " dpi");
        EXPECT_EQ(window->DotsPerInch(), expected.dotsPerInch);
        for (const auto& pinned : expected.places) {
            SCOPED_TRACE(pinned.name);
            const RECT place = PlaceOf(Control(pinned.name));
            EXPECT_EQ(place.left, pinned.place.left);
            EXPECT_EQ(place.top, pinned.place.top);
            EXPECT_EQ(place.right, pinned.place.right);
            EXPECT_EQ(place.bottom, pinned.place.bottom);
        }
        EXPECT_EQ(-FontOf(Control("Label1")).lfHeight, expected.titleFont);
        EXPECT_EQ(-FontOf(Control("Check1")).lfHeight, expected.verdanaFont);
        EXPECT_EQ(-FontOf(Control("Command1")).lfHeight, expected.verdanaFont);

        const auto picture = reinterpret_cast<HBITMAP>(
            ::SendMessageA(Control("Image2"), STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP shown{};
        ASSERT_NE(::GetObjectA(picture, sizeof shown, &shown), 0);
        const RECT box = expected.places[6].place;
        EXPECT_EQ(shown.bmWidth, box.right - box.left);
        EXPECT_EQ(shown.bmHeight, box.bottom - box.top);
        EXPECT_TRUE(ShowsAPicture(picture));
    }
};

// Run at each resolution in a Wine prefix of its own (LogPixels), and in the others at 96.
TEST_F(ScaledSetupWindow, LaysOutAtTheScreensResolution) {
    const ScaledLayout* expected = LayoutAt(ScreenDotsPerInch());
    ASSERT_NE(expected, nullptr) << "no layout pinned for " << ScreenDotsPerInch() << " dpi";
    Load();
    RECT client{};
    ::GetClientRect(window->Handle(), &client);
    EXPECT_EQ(client.right, expected->client.cx);
    EXPECT_EQ(client.bottom, expected->client.cy);
    ExpectControlsLaidOutAs(*expected);
}

// Wine gives every monitor one resolution, so the move is the message Windows sends. The client
// area is not looked at: Wine still draws the title bar at the screen's resolution.
TEST_F(ScaledSetupWindow, FollowsAMoveToAMonitorOfAnotherScale) {
    ASSERT_NE(LayoutAt(ScreenDotsPerInch()), nullptr);
    Load();
    int offset = 0;
    for (const auto& next : {kScaledLayouts[2], kScaledLayouts[3], kScaledLayouts[1],
                             kScaledLayouts[0], *LayoutAt(ScreenDotsPerInch())}) {
        offset += 10;
        RECT proposed{offset, offset, offset + 700, offset + 700};
        ::SendMessageA(window->Handle(), WM_DPICHANGED,
                       MAKEWPARAM(next.dotsPerInch, next.dotsPerInch),
                       reinterpret_cast<LPARAM>(&proposed));
        ExpectControlsLaidOutAs(next);
        RECT moved{};
        ::GetWindowRect(window->Handle(), &moved);
        EXPECT_EQ(moved.left, offset);
        EXPECT_EQ(moved.top, offset);
    }
}

// Wine's own property service keeps nothing, so the one the window uses is the test's, and what
// it was given is what a screen reader would hear on Windows. Wine's proxies name a control by
// its caption only; no role or state but the edit box's role comes through them.
TEST_F(SetupWindow, EveryControlHasTheNameAScreenReaderSays) {
    Load();
    for (const auto& row : setup::kControls) {
        SCOPED_TRACE(std::string(row.name));
        const HWND control = Control(row.name);
        EXPECT_FALSE(row.accessibleName.empty());
        EXPECT_EQ(annotations.Name(control), row.accessibleName);
        EXPECT_EQ(annotations.Description(control), row.accessibleDescription);
        const Accessible seen = AccessibleOf(control);
        EXPECT_NE(seen.name, "<no accessible object>");
        if (row.caption == row.accessibleName) {
            EXPECT_EQ(seen.name, row.caption);
        }
    }
    const auto caption = [](std::string_view name) {
        return std::string(setup::kControls[setup::RowNamed(name)].caption);
    };
    EXPECT_EQ(annotations.Name(Control("Text1")), caption("Label6")) << "named after its step";
    EXPECT_EQ(annotations.Name(Control("Drive1")), caption("Label2"));
    EXPECT_EQ(annotations.Name(Control("Dir1")), annotations.Name(Control("Label4")));
    EXPECT_EQ(annotations.Role(Control("Frame1")), ROLE_SYSTEM_GROUPING);
    EXPECT_EQ(AccessibleOf(Control("Text1")).role, ROLE_SYSTEM_TEXT);
    EXPECT_NE(AccessibleOf(Control("Check1")).state & STATE_SYSTEM_FOCUSABLE, 0);
    EXPECT_EQ(AccessibleOf(window->Handle()).name, "Velmora_KZ 2.0.1 Setup");

    const HWND text = Control("Text1");
    window.reset();
    EXPECT_EQ(annotations.Name(text), "") << "taken back when the window goes";
}

// Points become pixels at the system's 96 dots per inch; labels and boxes in the frame are
// painted white, the rest in the window's light blue.
TEST_F(SetupWindow, TitleFontAndBackgrounds) {
    const LOGFONTA title = FontOf(Control("Label1"));
    EXPECT_STREQ(title.lfFaceName, "Times New Roman");
    EXPECT_EQ(title.lfHeight, -32);
    EXPECT_EQ(title.lfWeight, FW_BOLD);
    EXPECT_TRUE(title.lfItalic);
    EXPECT_EQ(title.lfCharSet, ANSI_CHARSET);

    const HDC dc = ::CreateCompatibleDC(nullptr);
    const auto backgroundOf = [&](std::string_view name) {
        ::SendMessageA(window->Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(Control(name)));
        return ::GetBkColor(dc);
    };
    EXPECT_EQ(backgroundOf("Label1"), RGB(128, 128, 255));
    EXPECT_EQ(backgroundOf("Label4"), RGB(255, 255, 255));
    EXPECT_EQ(backgroundOf("Check2"), RGB(255, 255, 255));
    ::DeleteDC(dc);

    // The frame paints itself: white inside its etched border, its caption in navy.
    Load();
    const HWND frameBox = Control("Frame1");
    ::UpdateWindow(window->Handle());
    RECT box{};
    ::GetClientRect(frameBox, &box);
    const HDC frameDc = ::GetDC(frameBox);
    EXPECT_EQ(::GetPixel(frameDc, box.right - 6, box.bottom - 6), RGB(255, 255, 255));
    const int captionHeight = -FontOf(frameBox).lfHeight + 4;
    int navy = 0;
    for (int x = 0; x < box.right; ++x) {
        for (int y = 0; y < captionHeight; ++y) {
            navy += ::GetPixel(frameDc, x, y) == RGB(0, 0, 128) ? 1 : 0;
        }
    }
    EXPECT_GT(navy, 0) << "caption pixels";
    ::ReleaseDC(frameBox, frameDc);
}

TEST_F(SetupWindow, TabVisitsTheControlsInOrderFromCheck1) {
    Load();
    EXPECT_EQ(::GetFocus(), Control("Check1"));
    const std::vector<std::string> order{"Check2", "Check3",   "Text1",    "Drive1",
                                         "Dir1",   "Command1", "Command2", "Check1"};
    HWND at = Control("Check1");
    for (const auto& next : order) {
        at = ::GetNextDlgTabItem(window->Handle(), at, FALSE);
        EXPECT_EQ(at, Control(next)) << "expected " << next;
    }
}

TEST_F(SetupWindow, CheckBoxesToggleOnClickAndTakeValuesFromCode) {
    Load();
    for (auto box : {CheckBox::Check1, CheckBox::Check2, CheckBox::Check3}) {
        EXPECT_EQ(window->CheckValue(box), 1);
    }
    ::SendMessageA(Control("Check2"), BM_CLICK, 0, 0);
    EXPECT_EQ(window->CheckValue(CheckBox::Check2), 0);
    EXPECT_FALSE(Form().StartMenuOption());
    EXPECT_TRUE(Form().DesktopIconOption() && Form().ProgramsMenuOption());
    ::SendMessageA(Control("Check2"), BM_CLICK, 0, 0);
    EXPECT_TRUE(Form().StartMenuOption());

    window->SetCheckValue(CheckBox::Check3, 2);
    EXPECT_EQ(::SendMessageA(Control("Check3"), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
    EXPECT_FALSE(Form().ProgramsMenuOption()) << "a greyed box is not ticked";
    EXPECT_EQ(ErrorNumberOf([this] { window->SetCheckValue(CheckBox::Check1, 5); }), 380);
    EXPECT_EQ(window->CheckValue(CheckBox::Check1), 1);
}

TEST_F(SetupWindow, ListsSetTheDestinationAndTypingMovesNoList) {
    Load();
    EXPECT_EQ(window->Dir1Path(), medium);
    EXPECT_EQ(window->Drive1Drive(), medium.substr(0, 2));

    window->SetText1Text("C:\\typed");
    EXPECT_EQ(Form().InstallFolder(), "C:\\typed");
    EXPECT_EQ(window->Dir1Path(), medium);

    const HWND list = Control("Dir1");
    const int line = LineShowing(list, "sub one");
    ASSERT_GE(line, 0);
    ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    Notify("Dir1", LBN_DBLCLK);
    EXPECT_EQ(window->Dir1Path(), medium + "\\sub one");
    EXPECT_EQ(window->Text1Text(), medium + "\\sub one");
    EXPECT_EQ(Form().InstallFolder(), medium + "\\sub one");

    window->SetDir1Path(window->Drive1Drive());
    EXPECT_EQ(window->Dir1Path(), medium) << "the drive's current folder";
    EXPECT_EQ(window->Text1Text(), medium);
    EXPECT_EQ(ErrorNumberOf([this] { window->SetDir1Path(root / "missing"); }),
              platform::error::kPathNotFound);
}

TEST_F(SetupWindow, ChoosingAnotherDriveOpensItsCurrentFolder) {
    Load();
    const HWND drives = Control("Drive1");
    const auto count = ::SendMessageA(drives, CB_GETCOUNT, 0, 0);
    const auto current = ::SendMessageA(drives, CB_GETCURSEL, 0, 0);
    if (count < 2) {
        GTEST_SKIP() << "only one drive";
    }
    ::SendMessageA(drives, CB_SETCURSEL, current == 0 ? 1 : 0, 0);
    Notify("Drive1", CBN_SELCHANGE);
    const std::string drive = window->Drive1Drive();
    EXPECT_EQ(window->Dir1Path(), platform::CurrentFolderOfDrive(drive));
    EXPECT_EQ(window->Text1Text(), window->Dir1Path());
    EXPECT_EQ(platform::CurrentFolder(), medium) << "the lists only browse";
}

// Enter presses only a focused button; in the folder list it opens the folder chosen there, as a
// double click does.
TEST_F(SetupWindow, EnterAndEscapeStartNothing) {
    Load();
    for (const char* name : {"Check1", "Text1", "Drive1", "Dir1"}) {
        ::SetFocus(Control(name));
        ::SendMessageA(window->Handle(), WM_COMMAND, IDOK, 0);
        ::SendMessageA(window->Handle(), WM_COMMAND, IDCANCEL, 0);
    }
    EXPECT_THAT(LogTexts(medium + "\\Install.log"), ElementsAre("Install Log Initialized"));
    EXPECT_TRUE(::IsWindow(window->Handle()));
    EXPECT_EQ(window->Text1Text(), layout.applicationFolder) << "Enter on the current folder";

    const HWND list = Control("Dir1");
    ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(LineShowing(list, "sub two")), 0);
    ::SetFocus(list);
    ::SendMessageA(window->Handle(), WM_COMMAND, IDOK, 0);
    EXPECT_EQ(window->Text1Text(), medium + "\\sub two");
    EXPECT_THAT(LogTexts(medium + "\\Install.log"), ElementsAre("Install Log Initialized"));
}

TEST(ProgramEntry, AFailureWhileTheWindowIsBuiltReachesTheErrorBox) {
    RecordingServices services;
    EXPECT_TRUE(EndsProgram([&] {
        gui::win32::RunProgram(services, SW_HIDE, [](platform::Services&, const platform::Layout&) {
            throw std::bad_alloc();
            return std::unique_ptr<gui::win32::ProgramWindow>();
        });
    }));
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_THAT(services.Messages()[0].text, HasSubstr("Run-time error '7':"));
}

}  // namespace
