#pragma once

// The windows of both programs are laid out in twips, 1/1440 inch. The Qt windows place
// controls in pixels taken at 96 dots per inch, and Qt scales them; the Win32 windows lay them
// out at the screen's own resolution.
namespace platform {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kTwipsPerInch = 1440;

constexpr int Pixels(int twips) {
    return twips / kTwipsPerPixel;
}

// Twips at dotsPerInch, rounded to the nearest pixel: at 96 dots per inch, Pixels.
constexpr int PixelsAt(int twips, int dotsPerInch) {
    return (twips * dotsPerInch + kTwipsPerInch / 2) / kTwipsPerInch;
}

}  // namespace platform
