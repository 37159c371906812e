#pragma once

#include <cstddef>
#include <string>

#include "platform/file_system.h"
#include "platform/layout.h"
#include "platform/runtime_error.h"

// What the installer makes sure of before it writes anything, so that it never reports an
// install complete that the launcher then cannot follow.
namespace setup {

struct InstallRequest;

// The longest destination whose every file fits the system's longest path, the temporary names
// the copies are first made under included.
std::size_t LongestDestination(const std::string& separator);

// An existing folder the install records passes the launcher's own check afterwards: one the
// running user owns is given the installer's access where the launchers of those the install is
// for could not follow it; any other that fails the check raises its error.
void MakeFollowable(platform::FileSystem& files, const std::string& folder);
// For an install for every user: whoever could change a folder above the destination could put
// another folder in its place, which every user's launcher would then follow. The nearest folder
// there above it, and each above that, must be changeable by nobody but their owners; raises the
// check's error naming the first that is not.
void RequireTrustedFoldersAbove(platform::FileSystem& files, const std::string& destination);
// The failure box's line for a folder MakeFollowable refused.
std::string FollowStep(const std::string& folder, const platform::RuntimeError& error);

// The places the chosen copies of the launcher go to must be ones the system gave: a place it
// gave none for, or not a full path, is never joined into one, and raises Path not found before
// anything is written. Where profile folders are named after their users the places are the
// layout's own, not the system's.
void RequireGivenPlaces(platform::FileSystem& files, const platform::Layout& layout,
                        const InstallRequest& request);
// The failure box's line for what RequireGivenPlaces refuses: the place as it was asked for
// ("the desktop of the current user"), and what the system gave for it.
std::string GivenPlacesStep(platform::FileSystem& files, const platform::Layout& layout,
                            const InstallRequest& request);

}  // namespace setup
