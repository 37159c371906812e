#pragma once

#include <string>
#include <vector>

#include "platform/layout.h"
#include "platform/services.h"
#include "unattended/command_line.h"

namespace unattended {

// Reads the arguments of a program started with some. What needs nothing more is answered here,
// before anything is changed, and ends the program: help on the standard output, with status
// Success; an unknown or malformed option on the standard error, with BadCommandLine. On Windows,
// where a program with a window often has no console, each also in a box, unless silent.
Options ReadOrEnd(Program program, const std::vector<std::string>& arguments,
                  platform::Services& services);

// Ends the program with ImpossibleScope, saying why as above, when the options ask for an install
// for another scope than the running account's (running).
void RequireScope(const Options& options, platform::Scope running, platform::Services& services);

// The title of the program's boxes.
std::string TitleOf(Program program);

}  // namespace unattended
