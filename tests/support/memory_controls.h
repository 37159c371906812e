#pragma once

#include <array>
#include <string>
#include <utility>

#include "setup/core/form1.h"
#include "setup/core/form1_controls.h"

namespace testing_support {

// Controls without a window: a value set by code runs the control's handler at once, as the
// real window's controls do.
class MemoryControls : public setup::Form1Controls {
public:
    void Attach(setup::Form1& form) { form_ = &form; }

    int CheckValue(setup::CheckBox box) const override { return checks_[Index(box)]; }
    void SetCheckValue(setup::CheckBox box, int value) override {
        if (std::exchange(checks_[Index(box)], value) != value) {
            Click(box);
        }
    }
    std::string Text1Text() const override { return text_; }
    void SetText1Text(const std::string& text) override {
        if (std::exchange(text_, text) != text) {
            form_->Text1_Change();
        }
    }
    std::string Dir1Path() const override { return path_; }
    void SetDir1Path(const std::string& path) override {
        if (std::exchange(path_, path) != path) {
            form_->Dir1_Change();
        }
    }
    std::string Drive1Drive() const override { return drive_; }

    // What a user does.
    void Toggle(setup::CheckBox box) { SetCheckValue(box, CheckValue(box) == 1 ? 0 : 1); }
    void ChooseDrive(const std::string& drive) {
        drive_ = drive;
        form_->Drive1_Change();
    }
    void Type(const std::string& text) { SetText1Text(text); }
    void SetLaidOutText(const std::string& text) { text_ = text; }

private:
    static std::size_t Index(setup::CheckBox box) { return static_cast<std::size_t>(box); }
    void Click(setup::CheckBox box) {
        switch (box) {
            case setup::CheckBox::Check1:
                return form_->Check1_Click();
            case setup::CheckBox::Check2:
                return form_->Check2_Click();
            case setup::CheckBox::Check3:
                return form_->Check3_Click();
        }
    }

    setup::Form1* form_ = nullptr;
    std::array<int, 3> checks_{};
    std::string text_;
    std::string path_;
    std::string drive_;
};

}  // namespace testing_support
