#pragma once

#include <string>

namespace setup {

// A Desktop Entry that starts the program at the given path, so that menus list it with its
// icon.
std::string DesktopEntryFor(const std::string& programPath);

// Its file name, beside the program.
inline constexpr const char* kDesktopEntryName = "Velmora_KZ.2.0.1.desktop";

}  // namespace setup
