#pragma once

#include <cstddef>
#include <string>

#include "platform/file_system.h"
#include "platform/runtime_error.h"

// What the installer makes sure of before it writes anything, so that it never reports an
// install complete that the launcher then cannot follow.
namespace setup {

// The longest destination whose every file fits the system's longest path, the temporary names
// the copies are first made under included.
std::size_t LongestDestination(const std::string& separator);

// An existing folder the install records passes the launcher's own check afterwards: one the
// running user owns is given the installer's access where the launchers of those the install is
// for could not follow it; any other that fails the check raises its error.
void MakeFollowable(platform::FileSystem& files, const std::string& folder);
// The failure box's line for a folder MakeFollowable refused.
std::string FollowStep(const std::string& folder, const platform::RuntimeError& error);

}  // namespace setup
