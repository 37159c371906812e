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
// installer leaves them whatever the umask. "installed" and "shared" each hold an application.
class LauncherTest : public ::testing::Test {
public:
    LauncherTest() {
        for (const auto& folder :
             {layout.applicationFolder, layout.sharedApplicationFolder, installed, sharedInstall}) {
            MakeFolders(folder);
            std::filesystem::permissions(folder, std::filesystem::perms(0755));
        }
        for (const auto& folder : {installed, sharedInstall}) {
            WriteFile(Joined(folder, launcher::kApplicationProgram), "the application", 0755);
        }
        std::filesystem::current_path(root.Path());
    }

    void Record(const std::string& contents) const { WriteFile(layout.HandoverFile(), contents); }

    // Runs the load handler as the launcher's window does: true if the program ended, which it
    // does only through the runtime's error box.
    bool Launch() {
        return EndsProgram([this] {
            platform::RunHandler(services,
                                 [this] { launcher::Form1(services, layout).Form_Load(); });
        });
    }
    // The folders the application was started in.
    std::vector<std::string> StartedIn() const {
        std::vector<std::string> folders;
        for (const auto& started : services.Started()) {
            folders.push_back(started.folder);
        }
        return folders;
    }

    FolderAndPathGuard guard;
    TempFolder root;
    RecordingServices services;
    platform::Layout layout = platform::LayoutRootedIn(root.Path());
    std::string installed = root / "installed";
    std::string sharedInstall = root / "shared";
};

}  // namespace testing_support
