#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "gui/qt/gui_runtime.h"
#include "platform/content_hash.h"
#include "platform/platform.h"
#include "setup/core/installation_files.h"
#include "tests/support/earlier_install_fixture.h"
#include "tests/window/setup_window_fixture.h"

namespace {

using ::testing::Contains;
using ::testing::Not;
using namespace testing_support;
using window_testing::SetupWindowTest;

struct SeenWhileInstalling {
    std::string title;
    std::string text;
    bool windowEnabled = true;
    bool busyCursor = false;
};

TEST_F(SetupWindowTest, WholeInstallWithoutTheProgramsMenuCopy) {
    OpenActive();
    const std::string destination = root / "Apps";
    std::vector<SeenWhileInstalling> seen;
    services.OnMessage([&](const platform::fakes::ShownMessage& message) {
        const QCursor* cursor = QApplication::overrideCursor();
        seen.push_back({message.title, message.text, window->isEnabled(),
                        cursor != nullptr && cursor->shape() == Qt::WaitCursor});
    });

    auto* programsMenu = Find<QCheckBox>("Check3");
    QTest::mouseClick(programsMenu, Qt::LeftButton, {}, QPoint(8, programsMenu->height() / 2));
    auto* text = Find<QLineEdit>("Text1");
    text->setFocus();
    PressKey(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(text, QString::fromStdString(destination));
    ASSERT_TRUE(
        EndsProgram([this] { QTest::mouseClick(Find<QPushButton>("Command1"), Qt::LeftButton); }));

    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, "Finished");
    EXPECT_EQ(seen[0].text, "Velmora_KZ 2.0.1 Installation is Complete");
    EXPECT_FALSE(seen[0].windowEnabled) << "the window takes no input while installing";
    EXPECT_TRUE(seen[0].busyCursor);

    // What the install itself does the core tests check; here, that the clicks and keys reached it.
    EXPECT_EQ(ReadFile(layout.HandoverFile()), destination + "\r\n");
    EXPECT_EQ(ReadFile(destination + "/readme.txt"), "bytes of readme.txt");
    const auto log = Log();
    EXPECT_THAT(log, Contains("Creating Desktop Icon"));
    EXPECT_THAT(log, Not(Contains("Creating Program Menu Shortcut Icon")));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

struct BoxAsShown {
    std::string title;
    std::string text;
    bool alert = false;
};

// Shows the real message box, reads it as a screen reader would, and answers it with Enter.
BoxAsShown AnswerWithEnter(const platform::fakes::ShownMessage& message) {
    BoxAsShown seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        if (!QTest::qWaitForWindowActive(box)) {
            box->reject();  // unread, so that the test fails rather than waits
            return;
        }
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(box);
        seen = {read->text(QAccessible::Name).toStdString(), box->text().toStdString(),
                read->role() == QAccessible::AlertMessage};
        QTest::keyClick(box->focusWidget(), Qt::Key_Return);
    });
    gui::qt::ShowMessageBox(message.text, message.title);
    return seen;
}

// Tab through the laid-out order, Space on a box, the arrow keys and Enter in the folder list,
// Enter on "Begin Install", and Enter on the box that ends it.
TEST_F(SetupWindowTest, WholeInstallByKeyboardAlone) {
    OpenActive();
    std::vector<BoxAsShown> boxes;
    services.OnMessage([&boxes](const platform::fakes::ShownMessage& message) {
        boxes.push_back(AnswerWithEnter(message));
    });

    PressKey(Qt::Key_Tab);
    PressKey(Qt::Key_Tab);
    ASSERT_EQ(FocusName().toStdString(), "Check3");
    PressKey(Qt::Key_Space);
    for (int step = 0; step < 3; ++step) {
        PressKey(Qt::Key_Tab);
    }
    ASSERT_EQ(FocusName().toStdString(), "Dir1");
    // The current folder is the working folder; the line below it is its one subfolder.
    PressKey(Qt::Key_Down);
    PressKey(Qt::Key_Return);
    const std::string destination = working + "/Target";
    EXPECT_EQ(Find<QLineEdit>("Text1")->text().toStdString(), destination);
    PressKey(Qt::Key_Tab);
    ASSERT_EQ(FocusName().toStdString(), "Command1");
    ASSERT_TRUE(EndsProgram([] { PressKey(Qt::Key_Return); }));

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Finished");
    EXPECT_EQ(boxes[0].text, "Velmora_KZ 2.0.1 Installation is Complete");
    EXPECT_TRUE(boxes[0].alert) << "a screen reader reads an alert out when it appears";
    EXPECT_EQ(ReadFile(layout.HandoverFile()), destination + "\r\n");
    EXPECT_EQ(ReadFile(destination + "/readme.txt"), "bytes of readme.txt");
    EXPECT_FALSE(Logic().ProgramsMenuOption());
    EXPECT_THAT(Log(), Not(Contains("Creating Program Menu Shortcut Icon")));
}

}  // namespace

namespace {

// The medium's list, as its lay-out writes it, of the installation files in folder.
void WritePayloadList(const std::string& folder) {
    std::string list = "Velmora_KZ 2.0.1 installation files 1\r\n";
    for (const auto name : setup::kInstallationFiles) {
        const std::string bytes = ReadFile(folder + "/" + std::string(name));
        list += "file " + std::to_string(bytes.size()) + " " +
                platform::HexOf(platform::HashOf(bytes)) + " " + std::string(name) + "\r\n";
    }
    WriteFile(folder + "/Installation.files", list);
}

}  // namespace

// A jar with one byte changed on the medium: refused before anything is replaced, the earlier
// installation kept whole, the box naming the file; a medium without the list is not checked.
TEST_F(SetupWindowTest, ADamagedMediumIsRefusedAndTheEarlierInstallationKept) {
    const std::string destination = root / "Apps";
    const auto install = [&] {
        OpenActive();
        auto* text = Find<QLineEdit>("Text1");
        text->setFocus();
        PressKey(Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(text, QString::fromStdString(destination));
        return EndStatusOf(
            [this] { QTest::mouseClick(Find<QPushButton>("Command1"), Qt::LeftButton); });
    };
    WritePayloadList(working);
    ASSERT_EQ(install(), platform::ExitStatus::Success);
    EXPECT_THAT(Log(),
                Contains("Checked Installation Files Against Installation.files Successfully"));
    const auto earlier = TreeOf(destination);
    const std::string handover = ReadFile(layout.HandoverFile());

    std::string jar = ReadFile(working + "/Velmora_KZ.jar");
    jar[jar.size() / 2] ^= 1;
    WriteFile(working + "/Velmora_KZ.jar", jar);
    ASSERT_EQ(install(), platform::ExitStatus::DamagedMedium);
    EXPECT_EQ(TreeOf(destination), earlier);
    EXPECT_EQ(ReadFile(layout.HandoverFile()), handover);
    ASSERT_FALSE(services.Messages().empty());
    EXPECT_THAT(services.Messages().back().text,
                ::testing::HasSubstr("The installation file " + working +
                                     "/Velmora_KZ.jar does not hold what the list of installation "
                                     "files says. The installation files are damaged: a new copy "
                                     "of the installation medium is needed."));

    RemoveTree(working + "/Installation.files");
    ASSERT_EQ(install(), platform::ExitStatus::Success);
    EXPECT_THAT(Log(),
                Contains("Installation Files Not Checked: the medium has no Installation.files"));
    EXPECT_EQ(ReadFile(destination + "/Velmora_KZ.jar"), jar);
}
