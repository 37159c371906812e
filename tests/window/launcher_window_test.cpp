#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include <QApplication>
#include <QTest>

#include "handover/handover.h"
#include "launcher/qt/launcher_window.h"
#include "platform/layout.h"
#include "platform/qt/program_entry.h"
#include "tests/support/program_harness.h"
#include "tests/support/temp_folder.h"

namespace {

using ::testing::HasSubstr;
using namespace testing_support;

class LauncherWindowTest : public ::testing::Test {
protected:
    LauncherWindowTest() : layout(platform::LayoutRootedIn(root.Path())) {
        MakeFolders(layout.applicationFolder);
    }

    // An application that leaves a mark in the folder it was started in.
    std::string InstallApplication() const {
        const std::string folder = root / "Apps";
        MakeFolders(folder);
        WriteFile(folder + "/Velmora_KZ.exe", "#!/bin/sh\ntouch started\n", 0755);
        return folder;
    }

    static bool AppearsSoon(const std::string& path) {
        for (int i = 0; i < 100 && !Exists(path); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return Exists(path);
    }

    TempFolder root;
    ProgramHarness harness;
    platform::Layout layout;
};

TEST_F(LauncherWindowTest, StartsTheApplicationThenShowsABareWindowThatStays) {
    const std::string folder = InstallApplication();
    handover::Write(layout.HandoverFile(), folder);

    launcher::LauncherWindow window(layout);
    ASSERT_FALSE(EndsProgram([&window] { window.show(); }));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    EXPECT_TRUE(AppearsSoon(folder + "/started")) << "started in the recorded folder";
    EXPECT_EQ(window.windowTitle().toStdString(), "Form1");
    EXPECT_EQ(window.size(), QSize(312, 206));
    EXPECT_TRUE(window.children().isEmpty()) << "no controls";
    EXPECT_TRUE(window.windowIcon().availableSizes().contains(QSize(48, 48)))
        << "the program icon, from the resources";
    QTest::qWait(50);
    EXPECT_TRUE(window.isVisible()) << "the launcher never closes by itself";
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(LauncherWindowTest, MissingHandOverFileIsReportedAndEndsBeforeTheWindowShows) {
    launcher::LauncherWindow window(layout);
    ASSERT_TRUE(EndsProgram([&window] { window.show(); }));

    EXPECT_FALSE(window.isVisible());
    ASSERT_EQ(harness.Messages().size(), 1u);
    EXPECT_EQ(harness.Messages()[0].title, "Project1");
    EXPECT_EQ(harness.Messages()[0].text.rfind("Run-time error '", 0), 0u)
        << harness.Messages()[0].text;
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
