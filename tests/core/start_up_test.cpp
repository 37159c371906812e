// Built into the tests of both systems, so free of either one's paths.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/support/installer_fixture.h"

using ::testing::ElementsAre;
using namespace testing_support;
using setup::CheckBox;

namespace {

using StartUp = InstallerTest;

TEST_F(StartUp, WithJavaStartsTheLogAndTicksEveryOption) {
    WriteFile(LogPath(), "an earlier run\r\n");
    ASSERT_FALSE(EndsProgram([this] { Start(); }));

    EXPECT_THAT(LogTexts(LogPath()), ElementsAre("Install Log Initialized"));
    EXPECT_EQ(form->WorkingFolder(), working);
    EXPECT_EQ(form->InstallFolder(), layout.applicationFolder);
    EXPECT_TRUE(form->DesktopIconOption());
    EXPECT_TRUE(form->StartMenuOption());
    EXPECT_TRUE(form->ProgramsMenuOption());
    for (auto box : {CheckBox::Check1, CheckBox::Check2, CheckBox::Check3}) {
        EXPECT_EQ(controls.CheckValue(box), 1);
    }
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(StartUp, WithoutJavaExplainsLogsAndEnds) {
    harness.HideJava(root);
    ASSERT_TRUE(EndsProgram([this] { Start(); }));

    EXPECT_THAT(LogTexts(LogPath()), ElementsAre("Install Log Initialized", "Java Not Installed"));
    ASSERT_EQ(harness.Messages().size(), 1u);
    EXPECT_EQ(harness.Messages()[0].title, "Finished");
    EXPECT_EQ(harness.Messages()[0].text,
              "Velmora_KZ 2.0.1 Needs Java Version 1.4.2 or Higher To Execute\r\n"
              "Download from www.java.com");
}

TEST_F(StartUp, LogThatCannotBeWrittenIsAnUnhandledError) {
    MakeFolders(LogPath());
    EXPECT_THROW(Start(), platform::RuntimeError);
    EXPECT_TRUE(harness.Messages().empty()) << "nothing runs after the failed first line";
}

}  // namespace
