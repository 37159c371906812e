#pragma once

#include <string_view>
#include <vector>

#include "platform/windows/windows_api.h"

struct IAccPropServices;

namespace gui::win32 {

// What a screen reader says for a window's controls beyond what the system makes of them: a
// name, a description, a role, given to the system's accessibility property service. The
// controls keep their own class, tab position and caption, and the system still tells their
// state (ticked, the text, the selected line). Where the service is missing (Wine has none),
// each control keeps the system's own name: its caption.
class AccessibleNames {
public:
    AccessibleNames();
    ~AccessibleNames();
    AccessibleNames(const AccessibleNames&) = delete;
    AccessibleNames& operator=(const AccessibleNames&) = delete;

    // An empty description leaves the system's.
    void Name(HWND control, std::string_view name, std::string_view description);
    // A frame around other controls: a grouping, not a window of its own.
    void Group(HWND control);
    // Takes back what it gave for the controls still there, as their windows are to go.
    void Clear();

private:
    void Remember(HWND control);

    IAccPropServices* service_ = nullptr;
    std::vector<HWND> named_;
};

}  // namespace gui::win32
