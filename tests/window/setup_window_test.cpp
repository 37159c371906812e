#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QRect>
#include <QStyle>
#include <QTest>

#include "gui/qt/accessibility.h"
#include "platform/platform.h"
#include "setup/core/control_table.h"
#include "setup/core/folder_browser.h"
#include "tests/window/setup_window_fixture.h"

namespace {

using ::testing::AnyOf;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing_support::EndsProgram;
using window_testing::SetupWindowTest;

using Option = bool (setup::Form1::*)() const;
struct OptionBox {
    const char* name;
    Option option;
};
constexpr OptionBox kOptionBoxes[] = {
    {"Check1", &setup::Form1::DesktopIconOption},
    {"Check2", &setup::Form1::StartMenuOption},
    {"Check3", &setup::Form1::ProgramsMenuOption},
};

std::string Text(const QString& text) {
    return text.toStdString();
}

QPoint OnIndicator(const QWidget& box) {
    return {8, box.height() / 2};
}

QListWidgetItem* ItemFor(const QListWidget& list, const std::string& path) {
    for (int row = 0; row < list.count(); ++row) {
        if (list.item(row)->data(Qt::UserRole).toByteArray().toStdString() == path) {
            return list.item(row);
        }
    }
    return nullptr;
}

TEST_F(SetupWindowTest, FirstShownWithEveryOptionTheDefaultFolderAndFocusOnTheFirstBox) {
    OpenActive();

    EXPECT_EQ(Text(window->windowTitle()), "Velmora_KZ 2.0.1 Setup");
    EXPECT_EQ(window->size(), QSize(626, 618));
    for (const auto& box : kOptionBoxes) {
        EXPECT_TRUE(Find<QCheckBox>(box.name)->isChecked()) << box.name;
        EXPECT_TRUE((Logic().*box.option)()) << box.name;
    }
    EXPECT_EQ(Text(Find<QLineEdit>("Text1")->text()), layout.applicationFolder);
    EXPECT_EQ(Logic().InstallFolder(), layout.applicationFolder);
    EXPECT_EQ(window->Dir1Path(), working) << "the lists start at the working folder";
    const auto* folders = Find<QListWidget>("Dir1");
    const setup::FolderBrowser browser(working);
    ASSERT_EQ(folders->count(), static_cast<int>(browser.Lines().size()));
    for (int row = 0; row < folders->count(); ++row) {
        EXPECT_EQ(Text(folders->item(row)->text()),
                  browser.Lines()[static_cast<std::size_t>(row)].text);
    }
    EXPECT_EQ(folders->currentRow(), static_cast<int>(browser.CurrentLine()));
    EXPECT_EQ(platform::CurrentFolderOfDrive(window->Drive1Drive()), working);
    EXPECT_EQ(Text(FocusName()), "Check1");
    EXPECT_THAT(Log(), ElementsAre("Install Log Initialized"));
    EXPECT_THAT(services.Messages(), IsEmpty());
}

TEST_F(SetupWindowTest, WithoutJavaTheWindowIsNeverShown) {
    services.MakeMissing("java");
    window = std::make_unique<setup::SetupWindow>(services, layout);

    ASSERT_TRUE(EndsProgram([this] { window->show(); }));
    EXPECT_FALSE(window->isVisible());
    EXPECT_THAT(services.Shown(), ElementsAre(::testing::StartsWith("Finished|")));
    EXPECT_THAT(Log(), ElementsAre("Install Log Initialized", "Java Not Installed"));
}

TEST_F(SetupWindowTest, EachBoxSetsOnlyItsOwnOptionByMouseAndBySpaceBar) {
    OpenActive();
    for (const auto& toggled : kOptionBoxes) {
        SCOPED_TRACE(toggled.name);
        auto* box = Find<QCheckBox>(toggled.name);
        QTest::mouseClick(box, Qt::LeftButton, {}, OnIndicator(*box));
        for (const auto& other : kOptionBoxes) {
            EXPECT_EQ((Logic().*other.option)(), &other != &toggled) << other.name;
        }
        box->setFocus();
        PressKey(Qt::Key_Space);
        EXPECT_TRUE(box->isChecked());
        for (const auto& other : kOptionBoxes) {
            EXPECT_TRUE((Logic().*other.option)()) << other.name;
        }
    }
}

TEST_F(SetupWindowTest, GreyedBoxCountsAsUntickedAndAClickLeavesTwoStates) {
    OpenActive();
    auto* box = Find<QCheckBox>("Check2");
    window->SetCheckValue(setup::CheckBox::Check2, 2);
    EXPECT_EQ(window->CheckValue(setup::CheckBox::Check2), 2);
    EXPECT_FALSE(Logic().StartMenuOption());

    QTest::mouseClick(box, Qt::LeftButton, {}, OnIndicator(*box));
    EXPECT_EQ(window->CheckValue(setup::CheckBox::Check2), 1);
    EXPECT_TRUE(Logic().StartMenuOption());
    QTest::mouseClick(box, Qt::LeftButton, {}, OnIndicator(*box));
    QTest::mouseClick(box, Qt::LeftButton, {}, OnIndicator(*box));
    EXPECT_EQ(window->CheckValue(setup::CheckBox::Check2), 1) << "never greyed by a click";
}

TEST_F(SetupWindowTest, OpeningAFolderReplacesTheDestinationAndTheInstallFolder) {
    OpenActive();
    auto* folders = Find<QListWidget>("Dir1");
    QTest::keyClicks(Find<QLineEdit>("Text1"), QStringLiteral("typed"));

    QListWidgetItem* target = ItemFor(*folders, working + "/Target");
    ASSERT_NE(target, nullptr) << "the working folder's subfolder is listed";
    const QPoint where = folders->visualItemRect(target).center();
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, where);
    EXPECT_EQ(window->Dir1Path(), working) << "a single click only selects";
    QTest::mouseDClick(folders->viewport(), Qt::LeftButton, {}, where);
    EXPECT_EQ(window->Dir1Path(), working + "/Target");
    EXPECT_EQ(Text(Find<QLineEdit>("Text1")->text()), working + "/Target");
    EXPECT_EQ(Logic().InstallFolder(), working + "/Target");

    folders->setFocus();
    PressKey(Qt::Key_Up);
    PressKey(Qt::Key_Return);
    EXPECT_EQ(window->Dir1Path(), working) << "Enter opens the parent folder";
    EXPECT_EQ(Logic().InstallFolder(), working);
}

TEST_F(SetupWindowTest, AFolderWhoseNameIsNotTextOpensByItsBytes) {
    const std::string odd = working + "/Caf\xe9";
    testing_support::MakeFolders(odd);
    OpenActive();
    auto* folders = Find<QListWidget>("Dir1");

    QListWidgetItem* target = ItemFor(*folders, odd);
    ASSERT_NE(target, nullptr);
    const QPoint where = folders->visualItemRect(target).center();
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, where);
    QTest::mouseDClick(folders->viewport(), Qt::LeftButton, {}, where);
    EXPECT_EQ(window->Dir1Path(), odd);
    EXPECT_EQ(Logic().InstallFolder(), odd);
    EXPECT_EQ(window->Text1Text(), odd);
}

TEST_F(SetupWindowTest, ChoosingADriveReplacesTypedTextWithThatDrivesCurrentFolder) {
    OpenActive();
    auto* drives = Find<QComboBox>("Drive1");
    if (drives->count() < 2) {
        GTEST_SKIP() << "this machine has one volume";
    }
    QTest::keyClicks(Find<QLineEdit>("Text1"), QStringLiteral("typed"));
    const int start = drives->currentIndex();

    drives->setFocus();
    PressKey(start + 1 < drives->count() ? Qt::Key_Down : Qt::Key_Up);
    ASSERT_NE(drives->currentIndex(), start);
    const std::string expected = platform::CurrentFolderOfDrive(window->Drive1Drive());
    EXPECT_EQ(window->Dir1Path(), expected);
    EXPECT_EQ(Text(Find<QLineEdit>("Text1")->text()), expected);
    EXPECT_EQ(Logic().InstallFolder(), expected);
    EXPECT_EQ(platform::CurrentFolder(), working) << "the lists only browse";
}

TEST_F(SetupWindowTest, TypingMovesNeitherListAndClearingEmptiesTheInstallFolder) {
    OpenActive();
    auto* text = Find<QLineEdit>("Text1");
    const std::string drive = window->Drive1Drive();

    text->setFocus();
    PressKey(Qt::Key_End);
    QTest::keyClicks(text, QStringLiteral("/sub"));
    EXPECT_EQ(Logic().InstallFolder(), layout.applicationFolder + "/sub");
    EXPECT_EQ(window->Dir1Path(), working);
    EXPECT_EQ(window->Drive1Drive(), drive);

    PressKey(Qt::Key_A, Qt::ControlModifier);
    PressKey(Qt::Key_Backspace);
    EXPECT_EQ(Logic().InstallFolder(), "");
}

TEST_F(SetupWindowTest, EnterAndEscapeStartAndCancelNothingButTheCancelButtonDoes) {
    OpenActive();
    for (const char* name : {"Check1", "Check2", "Check3", "Text1", "Drive1", "Dir1"}) {
        SCOPED_TRACE(name);
        Find<QWidget>(name)->setFocus();
        for (const auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            EXPECT_FALSE(EndsProgram([key] { PressKey(key); }));
        }
    }
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Dir1Path(), working);
    EXPECT_THAT(Log(), ElementsAre("Install Log Initialized"));
    EXPECT_TRUE(
        EndsProgram([this] { QTest::mouseClick(Find<QPushButton>("Command2"), Qt::LeftButton); }));
    Find<QWidget>("Command2")->setFocus();
    for (const auto key : {Qt::Key_Space, Qt::Key_Return}) {
        EXPECT_TRUE(EndsProgram([key] { PressKey(key); })) << "the focused button takes " << key;
    }
    EXPECT_THAT(Log(), ElementsAre("Install Log Initialized"));
    EXPECT_THAT(services.Messages(), IsEmpty());
}

TEST_F(SetupWindowTest, TabCyclesThroughTheControlsInLaidOutOrder) {
    OpenActive();
    std::vector<std::string> forward;
    for (int i = 0; i < 8; ++i) {
        PressKey(Qt::Key_Tab);
        forward.push_back(Text(FocusName()));
    }
    EXPECT_THAT(forward, ElementsAre("Check2", "Check3", "Text1", "Drive1", "Dir1", "Command1",
                                     "Command2", "Check1"));
    PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Text(FocusName()), "Command2");
}

// A few places in pixels from the parent's client area, and captions with their odd spacing.
struct PinnedControl {
    const char* name;
    const char* parent;
    QRect place;
    const char* caption;
};
const PinnedControl kPinnedControls[] = {
    {"Label1", "Form1", QRect(32, 24, 425, 41), "Velmora_KZ 2.0.1 Installation"},
    {"Frame1", "Form1", QRect(48, 80, 377, 521), "Velmora_KZ 3-Step Install Process"},
    {"Check3", "Frame1", QRect(80, 104, 241, 17), "Add Program Menu  Icon"},
    {"Label4", "Frame1", QRect(80, 224, 265, 17), "Choose Install DestinationDirectory"},
    {"Dir1", "Frame1", QRect(80, 240, 193, 201), ""},
    {"Command2", "Form1", QRect(240, 552, 97, 25), "Cancel Install"},
};

QString CaptionOf(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        return label->text();
    }
    if (const auto* frame = qobject_cast<const QGroupBox*>(&control)) {
        return frame->title();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) {
        return button->text();
    }
    return {};
}

TEST_F(SetupWindowTest, ControlsSitAtTheirPlacesWithTheirCaptions) {
    Open();
    for (const auto& pinned : kPinnedControls) {
        SCOPED_TRACE(pinned.name);
        const auto* control = Find<QWidget>(pinned.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), pinned.place);
        EXPECT_EQ(Text(control->parentWidget()->objectName()), pinned.parent);
        EXPECT_EQ(Text(CaptionOf(*control)), pinned.caption);
    }
}

TEST_F(SetupWindowTest, ResizingMovesNothing) {
    Open();
    std::map<std::string, QRect> before;
    for (const auto& laidOut : setup::kControls) {
        const std::string name(laidOut.name);
        before[name] = Find<QWidget>(name.c_str())->geometry();
    }
    for (const QSize size : {QSize(900, 800), QSize(300, 200)}) {
        window->resize(size);
        QApplication::processEvents();
        for (const auto& [name, place] : before) {
            EXPECT_EQ(Find<QWidget>(name.c_str())->geometry(), place) << name;
        }
    }
}

TEST_F(SetupWindowTest, PicturesAndFontsAreFoundOnThisSystem) {
    Open();
    for (const char* picture : {"Image1", "Image2", "Image3"}) {
        EXPECT_EQ(Find<QLabel>(picture)->pixmap().size(), QSize(40, 42)) << picture;
    }

    const QFontInfo title(Find<QLabel>("Label1")->font());
    EXPECT_EQ(Text(title.family()), "Liberation Serif");
    EXPECT_TRUE(title.bold() && title.italic());
    EXPECT_THAT(Text(QFontInfo(Find<QCheckBox>("Check1")->font()).family()), "DejaVu Sans");
    EXPECT_TRUE(QFontInfo(Find<QLabel>("Label5")->font()).bold()) << "Arial Black looks heavy";
    EXPECT_FALSE(QFontInfo(Find<QCheckBox>("Check1")->font()).bold());
    EXPECT_THAT(Text(QFontInfo(Find<QLineEdit>("Text1")->font()).family()),
                AnyOf("Liberation Sans", "DejaVu Sans"));
    EXPECT_DOUBLE_EQ(Find<QLineEdit>("Text1")->font().pointSizeF(), 8.25);
}

TEST_F(SetupWindowTest, ColoursAreTheLaidOutOnes) {
    Open();
    const QColor lightBlue(128, 128, 255);
    EXPECT_EQ(window->palette().color(QPalette::Window), lightBlue);
    EXPECT_EQ(Find<QLabel>("Label1")->palette().color(QPalette::Window), lightBlue);
    EXPECT_TRUE(Find<QLabel>("Label1")->autoFillBackground()) << "labels are opaque";
    auto* frame = Find<QWidget>("Frame1");
    EXPECT_EQ(frame->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(frame->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    auto* label = Find<QLabel>("Label5");
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::black))
        << "the frame's caption colour stays on the frame";
}

// The application palette of a dark desktop theme, for as long as it lives.
class DarkDesktop {
public:
    DarkDesktop() : light_(QApplication::palette()) {
        QPalette dark = light_;
        for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
            dark.setColor(role, QColor(45, 45, 48));
        }
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
            dark.setColor(role, QColor(240, 240, 240));
        }
        QApplication::setPalette(dark);
    }
    DarkDesktop(const DarkDesktop&) = delete;
    DarkDesktop& operator=(const DarkDesktop&) = delete;
    ~DarkDesktop() { QApplication::setPalette(light_); }

private:
    QPalette light_;
};

int Distance(const QColor& a, const QColor& b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

// How close the drawn pixel nearest in colour to wanted comes to it.
int NearestDistance(const QImage& picture, const QRect& area, const QColor& wanted) {
    int nearest = 255;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            nearest = std::min(nearest, Distance(picture.pixelColor(x, y), wanted));
        }
    }
    return nearest;
}

TEST_F(SetupWindowTest, CaptionsOnFixedBackgroundsKeepTheirColoursUnderADarkDesktopTheme) {
    const DarkDesktop desktop;
    Open();
    const QImage picture = window->grab().toImage();
    const QColor navy(0, 0, 128);
    const QColor black(Qt::black);

    auto* frame = Find<QGroupBox>("Frame1");
    const QFontMetrics title(frame->font());
    // The caption alone: the frame's border runs beside it, not behind it.
    const QRect caption(frame->mapTo(window.get(), QPoint(0, 0)),
                        QSize(title.horizontalAdvance(frame->title()) + 12, title.height()));
    EXPECT_LE(NearestDistance(picture, caption, navy), 24) << "Frame1";

    for (const char* name : {"Label1", "Label2", "Label4", "Label5", "Label6", "Label3"}) {
        const auto* label = Find<QLabel>(name);
        const QRect area(label->mapTo(window.get(), QPoint(0, 0)), label->size());
        EXPECT_LE(NearestDistance(picture, area, black), 24) << name;
    }
    for (const char* name : {"Check1", "Check2", "Check3"}) {
        const auto* box = Find<QCheckBox>(name);
        // Right of the box itself, where only its caption is drawn.
        const int textStart = box->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                              box->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
        const QRect area(box->mapTo(window.get(), QPoint(textStart, 0)),
                         QSize(box->width() - textStart, box->height()));
        EXPECT_LE(NearestDistance(picture, area, black), 24) << name;
    }
}

// The picture of the window around a control, a few pixels beyond its edges.
QImage Around(QWidget& window, const QWidget& control) {
    constexpr int kMargin = 4;
    const QRect place(control.mapTo(&window, QPoint(0, 0)), control.size());
    return window.grab(place.adjusted(-kMargin, -kMargin, kMargin, kMargin)).toImage();
}

int PixelsThatStandOut(const QImage& before, const QImage& after) {
    int count = 0;
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            if (gui::qt::ContrastRatio(before.pixelColor(x, y), after.pixelColor(x, y)) >= 3.0) {
                ++count;
            }
        }
    }
    return count;
}

// Wherever the focus goes, what changes stands out from what was there by 3:1 at least, as much
// as an outline all round would: on the fixed white frame and light-blue window, under a light
// and a dark desktop theme alike.
TEST_F(SetupWindowTest, TheFocusedControlShowsItUnderLightAndDarkThemes) {
    for (const bool dark : {false, true}) {
        SCOPED_TRACE(dark ? "dark" : "light");
        std::optional<DarkDesktop> desktop;
        if (dark) {
            desktop.emplace();
        }
        OpenActive();
        const char* const focusable[] = {"Check1", "Check2", "Check3",   "Text1",
                                         "Drive1", "Dir1",   "Command1", "Command2"};
        for (std::size_t index = 0; index < std::size(focusable); ++index) {
            SCOPED_TRACE(focusable[index]);
            auto* control = Find<QWidget>(focusable[index]);
            Find<QWidget>(focusable[(index + 4) % std::size(focusable)])->setFocus();
            QApplication::processEvents();
            const QImage before = Around(*window, *control);
            control->setFocus(Qt::TabFocusReason);
            QApplication::processEvents();
            ASSERT_TRUE(control->hasFocus());
            EXPECT_GE(PixelsThatStandOut(before, Around(*window, *control)),
                      2 * (control->width() + control->height()));
        }
        window.reset();
    }
}

}  // namespace
