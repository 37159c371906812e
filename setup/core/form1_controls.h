#pragma once

#include <string>

namespace setup {

enum class CheckBox { Check1, Check2, Check3 };

// What Form1 needs of its window's controls. A window implements it; setting a value from here
// must run that control's own handler at once, nested inside the caller.
class Form1Controls {
public:
    virtual ~Form1Controls() = default;

    // 0 unticked, 1 ticked, 2 greyed.
    virtual int CheckValue(CheckBox box) const = 0;
    virtual void SetCheckValue(CheckBox box, int value) = 0;

    virtual std::string Text1Text() const = 0;
    virtual void SetText1Text(const std::string& text) = 0;

    // Assigning a drive moves the list to that drive's current folder.
    virtual std::string Dir1Path() const = 0;
    virtual void SetDir1Path(const std::string& path) = 0;

    virtual std::string Drive1Drive() const = 0;
};

}  // namespace setup
