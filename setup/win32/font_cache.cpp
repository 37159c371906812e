#include "setup/win32/font_cache.h"

#include <cmath>
#include <string>

namespace setup {

namespace {

bool SameFont(const FontSpec& a, const FontSpec& b) {
    return a.family == b.family && a.points == b.points && a.weight == b.weight &&
           a.slant == b.slant;
}

// Points at the screen's resolution, rounded to the nearest pixel, as the layout's twips are.
HFONT Create(const FontSpec& font, int dotsPerInch) {
    const int height =
        -::MulDiv(static_cast<int>(std::lround(font.points * 100)), dotsPerInch, 7200);
    const BYTE family = font.family == "Times New Roman" ? FF_ROMAN : FF_SWISS;
    return ::CreateFontW(height, 0, 0, 0, font.weight == Weight::Bold ? FW_BOLD : FW_NORMAL,
                         font.slant == Slant::Italic, FALSE, FALSE, ANSI_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         family | VARIABLE_PITCH, platform::Wide(font.family).c_str());
}

}  // namespace

HFONT FontCache::For(const FontSpec& font) {
    for (const auto& [known, handle] : fonts_) {
        if (SameFont(known, font)) {
            return handle.get();
        }
    }
    fonts_.emplace_back(font, Create(font, dotsPerInch_));
    return fonts_.back().second.get();
}

}  // namespace setup
