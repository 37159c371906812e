#pragma once

#include <array>
#include <string_view>

namespace setup {

// The launcher's program file, among the installation files.
inline constexpr const char* kLauncherFile = "Velmora_KZ.2.0.1.exe";

// The shortcut to the launcher's Programs-menu copy, beside it, where the Start menu shows only
// shortcuts.
inline constexpr const char* kStartMenuShortcut = "Velmora_KZ 2.0.1.lnk";

// The folder in the application folder where the user's own files that an install replaced in
// its install folder are kept, for Uninstall to put back.
inline constexpr const char* kKeptFilesFolder = "Kept files";

// What the installer copies from its starting folder, in this order.
inline constexpr std::array<std::string_view, 15> kInstallationFiles{
#include "setup/core/installation_files.def"
};

static_assert(kInstallationFiles[13] == kLauncherFile);

}  // namespace setup
