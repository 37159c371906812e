#pragma once

#include <string>

#include "setup/core/windowless_controls.h"

namespace testing_support {

// The controls of a run without a window, with what a user does to them.
class MemoryControls : public setup::WindowlessControls {
public:
    void Toggle(setup::CheckBox box) { SetCheckValue(box, CheckValue(box) == 1 ? 0 : 1); }
    void ChooseDrive(const std::string& drive) {
        SetDrive(drive);
        Form().Drive1_Change();
    }
    void Type(const std::string& text) { SetText1Text(text); }
};

}  // namespace testing_support
