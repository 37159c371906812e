#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "gui/win32/resource_picture.h"
#include "platform/windows/windows_api.h"
#include "setup/core/control_table.h"
#include "setup/win32/font_cache.h"

namespace setup {

// Control identifiers: each control's row in the control table, from 100 on, so that none is
// IDOK or IDCANCEL, which Enter and Escape send.
inline constexpr int kFirstControlId = 100;
constexpr int ControlId(std::size_t row) {
    return kFirstControlId + static_cast<int>(row);
}

// Makes the native control of each row of the control table on a window, and keeps the fonts
// and pictures the controls show for as long as it lives.
class ControlFactory {
public:
    // The control of that row on window; the destination box starts with destination.
    HWND Create(HWND window, std::size_t row, const std::string& destination);

private:
    void Finish(HWND control, const ControlSpec& entry);

    FontCache fonts_;
    std::vector<std::unique_ptr<gui::win32::ResourcePicture>> pictures_;
};

}  // namespace setup
