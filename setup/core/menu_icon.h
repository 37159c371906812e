#pragma once

#include <array>
#include <string_view>

namespace setup {

// Menus find a program's icon by name in an icon theme of PNG images, one per size they use.
// The images are the program icon's own, taken pixel for pixel by resources/generate_resources.py.
inline constexpr const char* kMenuIconName = "Velmora_KZ";
inline constexpr std::array<int, 3> kMenuIconSizes = {16, 32, 48};
extern const std::array<std::string_view, kMenuIconSizes.size()> kMenuIconImages;

}  // namespace setup
