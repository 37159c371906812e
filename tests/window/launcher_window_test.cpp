#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include <QApplication>
#include <QTest>

#include "launcher/qt/launcher_window.h"
#include "platform/layout.h"
#include "platform/qt/program_entry.h"
#include "platform/runtime_error.h"
#include "tests/support/program_harness.h"

namespace {

using namespace testing_support;
using ::testing::HasSubstr;

TEST(LauncherWindow, IsABareFormThatStays) {
    ProgramHarness harness;
    const std::unique_ptr<QWidget> window = launcher::WindowAfterLoad(nullptr);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    EXPECT_EQ(window->windowTitle().toStdString(), "Form1");
    EXPECT_EQ(window->size(), QSize(312, 206));
    EXPECT_TRUE(window->children().isEmpty()) << "no controls";
    EXPECT_TRUE(window->windowIcon().availableSizes().contains(QSize(48, 48)))
        << "the program icon, from the resources";
    QTest::qWait(50);
    EXPECT_TRUE(window->isVisible()) << "the launcher never closes by itself";
    EXPECT_TRUE(harness.Messages().empty());
}

TEST(LauncherWindow, AFailedLoadShowsTheRuntimeBoxAndNoWindow) {
    ProgramHarness harness;
    const platform::RuntimeError failure(platform::error::kFileNotFound, "File not found");
    ASSERT_TRUE(EndsProgram([&failure] { launcher::WindowAfterLoad(&failure); }));

    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    EXPECT_THAT(Shown(harness.Messages()),
                ::testing::ElementsAre("Project1|Run-time error '53':\r\n\r\nFile not found"));
}

TEST(ProgramEntry, AFailureWhileTheWindowIsBuiltReachesTheErrorBox) {
    const ProgramHarness harness;
    EXPECT_TRUE(EndsProgram([] {
        platform::qt::RunWindow([](const platform::Layout&) -> std::unique_ptr<QWidget> {
            throw std::runtime_error("no window");
        });
    }));
    ASSERT_EQ(harness.Messages().size(), 1u);
    EXPECT_THAT(harness.Messages()[0].text, HasSubstr("Run-time error '51':"));
}

}  // namespace
