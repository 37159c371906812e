#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "launcher/qt/launcher_window.h"
#include "platform/runtime_error.h"
#include "tests/support/program_harness.h"

namespace {

using namespace testing_support;

TEST(LauncherWindow, IsABareFormThatStays) {
    ProgramHarness harness;
    launcher::LauncherWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    EXPECT_EQ(window.windowTitle().toStdString(), "Form1");
    EXPECT_EQ(window.size(), QSize(312, 206));
    EXPECT_TRUE(window.children().isEmpty()) << "no controls";
    EXPECT_TRUE(window.windowIcon().availableSizes().contains(QSize(48, 48)))
        << "the program icon, from the resources";
    QTest::qWait(50);
    EXPECT_TRUE(window.isVisible()) << "the launcher never closes by itself";
    EXPECT_TRUE(harness.Messages().empty());
}

TEST(LauncherWindow, AFailedLoadShowsTheRuntimeBoxAndNoWindow) {
    ProgramHarness harness;
    const platform::RuntimeError failure(platform::error::kFileNotFound, "File not found");
    ASSERT_TRUE(EndsProgram([&failure] { launcher::ShowLoadOutcome(&failure); }));

    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    ASSERT_EQ(harness.Messages().size(), 1u);
    EXPECT_EQ(harness.Messages()[0].title, "Project1");
    EXPECT_EQ(harness.Messages()[0].text, "Run-time error '53':\r\n\r\nFile not found");
}

}  // namespace
