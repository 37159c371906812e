#pragma once

// The windows of both programs are laid out in twips, 1/1440 inch; both toolkits place controls
// in pixels, taken at 96 dots per inch.
namespace platform {

inline constexpr int kTwipsPerPixel = 15;

constexpr int Pixels(int twips) {
    return twips / kTwipsPerPixel;
}

}  // namespace platform
