#pragma once

#include <string>

#include "platform/platform.h"
#include "unattended/command_line.h"

namespace unattended {

// What /? and --help show: every option, in the system's spelling and the other one, and the
// exit codes the program can end with. Lines end with CR LF.
std::string HelpText(Program program, platform::System system);

}  // namespace unattended
