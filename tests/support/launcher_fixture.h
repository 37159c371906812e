#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "launcher/core/launcher_form.h"
#include "platform/layout.h"
#include "tests/support/program_harness.h"
#include "tests/support/temp_folder.h"

namespace testing_support {

// A launcher with every fixed place in a temporary folder, its folders owner-only as the
// installer leaves them whatever the umask, started as from the desktop with nothing on the
// search path. "installed" and "shared" each hold an application that records the folder it was
// started in.
class LauncherTest : public ::testing::Test {
public:
    LauncherTest() {
        for (const auto& folder :
             {layout.applicationFolder, layout.sharedApplicationFolder, installed, sharedInstall}) {
            MakeFolders(folder);
            std::filesystem::permissions(folder, std::filesystem::perms(0755));
        }
        for (const auto& folder : {installed, sharedInstall}) {
            PlaceFolderRecorder(folder, launcher::kApplicationProgram);
        }
        std::filesystem::current_path(root.Path());
        harness.HideJava(root);
    }

    void Record(const std::string& contents) const { WriteFile(layout.HandoverFile(), contents); }
    bool Started(const std::string& folder) const {
        return Exists(folder + kSeparator + "Velmora_KZ.started");
    }

    TempFolder root;
    ProgramHarness harness;
    platform::Layout layout = platform::LayoutRootedIn(root.Path());
    std::string installed = root / "installed";
    std::string sharedInstall = root / "shared";
};

}  // namespace testing_support
