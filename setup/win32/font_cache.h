#pragma once

#include <utility>
#include <vector>

#include "gui/win32/gui.h"
#include "platform/windows/windows_api.h"
#include "setup/core/control_table.h"

namespace setup {

// One font per distinct font of the control table at one screen resolution, made on first use
// and kept while the controls that show it live.
class FontCache {
public:
    explicit FontCache(int dotsPerInch) : dotsPerInch_(dotsPerInch) {}

    HFONT For(const FontSpec& font);

private:
    int dotsPerInch_;
    std::vector<std::pair<FontSpec, gui::win32::GdiObject<HFONT>>> fonts_;
};

}  // namespace setup
