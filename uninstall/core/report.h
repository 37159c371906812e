#pragma once

#include <string>
#include <vector>

#include "uninstall/core/removal.h"

namespace uninstall {

// The boxes' title.
inline constexpr const char* kTitle = "Uninstall Velmora_KZ 2.0.1";

// The question asked once before anything is removed, naming the install folders.
std::string QuestionText(const std::vector<std::string>& installFolders);

// The last box: what was removed, and what was kept and why, each with its place; when something
// could not be removed, that the uninstaller stays for a second run.
std::string ReportText(const Outcome& outcome, const std::string& uninstaller);

}  // namespace uninstall
