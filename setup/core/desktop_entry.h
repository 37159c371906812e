#pragma once

#include <string>

namespace setup {

// A Desktop Entry that starts the program at the given path, so that menus list it with its
// icon.
std::string DesktopEntryFor(const std::string& programPath);
// The same with the menu's name and comment for the program.
std::string DesktopEntryFor(const std::string& programPath, const std::string& name,
                            const std::string& comment);

// Its file name, beside the program.
inline constexpr const char* kDesktopEntryName = "Velmora_KZ.2.0.1.desktop";

}  // namespace setup
