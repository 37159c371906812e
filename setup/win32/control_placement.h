#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

#include "gui/win32/gui.h"
#include "gui/win32/resource_picture.h"
#include "platform/windows/windows_api.h"
#include "setup/core/control_table.h"
#include "setup/win32/font_cache.h"

namespace setup {

using Controls = std::array<HWND, kControls.size()>;

// The control table laid out at one screen resolution: each control's place and size from its
// twips, its font at its point size, the step pictures at the size their boxes have there. It
// owns the fonts and pictures the controls show, so a placement for another resolution is
// applied before this one goes.
class ControlPlacement {
public:
    explicit ControlPlacement(int dotsPerInch);

    int DotsPerInch() const { return dotsPerInch_; }
    // The window's client area in pixels.
    SIZE ClientSize() const;
    void Apply(const Controls& controls);

private:
    void Place(HWND control, std::size_t row);
    void ShowPicture(HWND control, const ControlSpec& entry);

    int dotsPerInch_;
    FontCache fonts_;
    std::vector<std::unique_ptr<gui::win32::ResourcePicture>> pictures_;
    std::vector<gui::win32::GdiObject<HBITMAP>> stretched_;
};

}  // namespace setup
