#pragma once

#include <array>
#include <string_view>

namespace setup {

// The launcher's program file, among the installation files.
inline constexpr const char* kLauncherFile = "Velmora_KZ.2.0.1.exe";

// What the installer copies from its starting folder, in this order.
inline constexpr std::array<std::string_view, 15> kInstallationFiles{
    "Velmora_KZ.jar", "javalogo.gif", "buttona.gif",    "buttonx.gif",      "execute.gif",
    "help5.gif",      "make.gif",     "question.gif",   "questionmark.gif", "help.html",
    "Velmora_KZ.ico", "readme.txt",   "Velmora_KZ.exe", kLauncherFile,      "Setup.exe",
};

}  // namespace setup
