#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/layout.h"
#include "setup/core/form1.h"
#include "tests/support/memory_controls.h"
#include "tests/support/program_harness.h"
#include "tests/support/temp_folder.h"

namespace testing_support {

// An installer started from a working folder that holds the installation files, with every fixed
// place rooted in a temporary folder and services that record what it shows, starts and ends.
class InstallerTest : public ::testing::Test {
protected:
    InstallerTest();
    // With every place rooted in a new folder under base.
    explicit InstallerTest(const std::string& base);

    // Lays out the 15 installation files in the working folder, each with its own bytes.
    void LayOutMedium(const std::string& folder) const;
    static std::string BytesOf(std::string_view name);

    // A new installer window that installs into other places.
    void UseLayout(const platform::Layout& places);
    void Start();
    // Presses "Begin Install"; true if the program ended, as it always should.
    bool BeginInstall();

    const std::string& UserName() const { return userName; }
    std::string Profile() const { return layout.PlacesOf(UserName()).profile; }
    std::string DesktopFolder() const { return layout.PlacesOf(UserName()).desktop; }
    std::string StartMenuFolder() const { return layout.PlacesOf(UserName()).startMenu; }
    std::string ProgramsFolder() const { return layout.PlacesOf(UserName()).programs; }
    std::string LogPath() const { return working + kSeparator + "Install.log"; }

    FolderAndPathGuard guard;
    TempFolder root;
    RecordingServices services;
    std::string userName;
    platform::Layout layout;
    std::string working;
    MemoryControls controls;
    std::unique_ptr<setup::Form1> form;
};

}  // namespace testing_support
