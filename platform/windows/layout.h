#pragma once

#include <string>

#include "platform/layout.h"

// Where an install puts things on Windows. Windows 2000 and XP keep each user's desktop and menus
// in a profile folder named after the user under "C:\Documents and Settings"; later versions keep
// that folder only as a link for old programs, and put the places where the shell says, which may
// be elsewhere (OneDrive, folder redirection, a profile named otherwise).
namespace platform {

// The places the shell names for the running user and for every user (whose profile is "").
struct ShellPlaces {
    UserPlaces own;
    UserPlaces everyone;
};
ShellPlaces PlacesFromShell();

// Whether drive + "\Documents and Settings" is a real folder, not a link to another.
bool HasProfilesFolder(const std::string& drive = "C:");

// 2000/XP: a user's places are in the profile folder named after them, where there is one, else
// the shared ones. drive stands for the system drive "C:" (tests root it elsewhere).
Layout ProfilesLayout(const std::string& drive = "C:");

// Vista and later: an install for every user takes the shared places, any other the user's own,
// as the shell names them; the Programs menu also gets a shortcut, the only kind of entry the
// Start menu shows.
Layout ShellLayout(const ShellPlaces& places, bool forEveryUser, const std::string& drive = "C:");

}  // namespace platform
