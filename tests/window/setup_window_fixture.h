#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <QString>
#include <QWidget>

#include "platform/layout.h"
#include "setup/qt/setup_window.h"
#include "tests/support/program_harness.h"
#include "tests/support/temp_folder.h"

namespace window_testing {

// The installer window started from a working folder that holds the installation files and a
// subfolder "Target", with every fixed place under a temporary folder and a stand-in "java" on
// the search path.
class SetupWindowTest : public ::testing::Test {
protected:
    SetupWindowTest();

    // Creates the window and shows it, which runs the load handler first.
    void Open();
    // Open() and wait until the window is on screen and active.
    void OpenActive();

    template <typename Control>
    Control* Find(const char* name) const {
        auto* control = window->findChild<Control*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    // Sends a key to whatever has the keyboard focus.
    static void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    static QString FocusName();

    std::vector<std::string> Log() const;
    const setup::Form1& Logic() const { return window->Logic(); }

    testing_support::FolderAndPathGuard guard;
    testing_support::TempFolder root;
    testing_support::RecordingServices services;
    platform::Layout layout;
    std::string working;
    std::unique_ptr<setup::SetupWindow> window;
};

}  // namespace window_testing
