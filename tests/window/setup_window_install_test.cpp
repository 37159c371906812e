#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "platform/platform.h"
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

}  // namespace
