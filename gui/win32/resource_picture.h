#pragma once

#include <memory>
#include <string>

#include "gui/win32/gui.h"
#include "platform/windows/windows_api.h"

struct IPicture;

namespace gui::win32 {

// A picture among the running program's resources (RCDATA, in any format the system's picture
// loader reads: GIF, JPEG, BMP), decoded once and kept while the object lives.
class ResourcePicture {
public:
    explicit ResourcePicture(const std::string& resourceName);

    // Null when the resource is missing or cannot be decoded.
    HBITMAP Bitmap() const;
    // A copy at width x height pixels, each pixel the average of those it covers (the system's
    // halftone stretch); null without a bitmap.
    GdiObject<HBITMAP> Stretched(SIZE size) const;

private:
    struct Release {
        void operator()(IPicture* picture) const;
    };

    std::unique_ptr<IPicture, Release> picture_;
};

}  // namespace gui::win32
