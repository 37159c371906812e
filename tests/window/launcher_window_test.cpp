#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include <QApplication>
#include <QTest>

#include "gui/qt/program_entry.h"
#include "launcher/qt/launcher_window.h"
#include "platform/layout.h"
#include "platform/runtime_error.h"
#include "tests/support/program_harness.h"

namespace {

using namespace testing_support;
using ::testing::HasSubstr;

TEST(LauncherWindow, IsABareFormThatStays) {
    RecordingServices services;
    const std::unique_ptr<QWidget> window = launcher::WindowAfterLoad(services, nullptr);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    EXPECT_EQ(window->windowTitle().toStdString(), "Form1");
    EXPECT_EQ(window->size(), QSize(312, 206));
    EXPECT_TRUE(window->children().isEmpty()) << "no controls";
    EXPECT_TRUE(window->windowIcon().availableSizes().contains(QSize(48, 48)))
        << "the program icon, from the resources";
    QTest::qWait(50);
    EXPECT_TRUE(window->isVisible()) << "the launcher never closes by itself";
    EXPECT_TRUE(services.Messages().empty());
}

TEST(LauncherWindow, AFailedLoadShowsTheRuntimeBoxAndNoWindow) {
    RecordingServices services;
    const platform::RuntimeError failure(platform::error::kFileNotFound);
    EXPECT_EQ(EndStatusOf([&] { launcher::WindowAfterLoad(services, &failure); }),
              platform::ExitStatus::Failure);

    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    EXPECT_THAT(services.Shown(),
                ::testing::ElementsAre("Project1|Run-time error '53':\r\n\r\nFile not found"));
}

TEST(ProgramEntry, AFailureWhileTheWindowIsBuiltReachesTheErrorBox) {
    RecordingServices services;
    EXPECT_TRUE(EndsProgram([&] {
        gui::qt::RunWindow(
            services, [](platform::Services&, const platform::Layout&) -> std::unique_ptr<QWidget> {
                throw std::runtime_error("no window");
            });
    }));
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_THAT(services.Messages()[0].text, HasSubstr("Run-time error '51':"));
}

}  // namespace
