#pragma once

#include <array>
#include <string>
#include <utility>

#include "setup/core/form1.h"
#include "setup/core/form1_controls.h"

namespace setup {

// Controls without a window, for a run that shows none: each holds its value, and a value set by
// code runs the control's handler at once, as the window's controls do.
class WindowlessControls : public Form1Controls {
public:
    void Attach(Form1& form) { form_ = &form; }

    int CheckValue(CheckBox box) const override { return checks_[Index(box)]; }
    void SetCheckValue(CheckBox box, int value) override {
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

    // The destination box's text in the window's layout, before any handler runs.
    void SetLaidOutText(const std::string& text) { text_ = text; }

protected:
    Form1& Form() const { return *form_; }
    void SetDrive(const std::string& drive) { drive_ = drive; }

private:
    static std::size_t Index(CheckBox box) { return static_cast<std::size_t>(box); }
    void Click(CheckBox box) {
        switch (box) {
            case CheckBox::Check1:
                return form_->Check1_Click();
            case CheckBox::Check2:
                return form_->Check2_Click();
            case CheckBox::Check3:
                return form_->Check3_Click();
        }
    }

    Form1* form_ = nullptr;
    std::array<int, 3> checks_{};
    std::string text_;
    std::string path_;
    std::string drive_;
};

}  // namespace setup
