#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/layout.h"
#include "platform/services.h"
#include "unattended/command_line.h"

namespace setup {

// Setup started with arguments. Help, a bad option and a scope the running account cannot
// install for are answered before anything is changed; a silent install runs here, with the
// layout NativeLayout gives; otherwise window runs Setup's window with the options and its
// result is returned. services end the program with the exit codes of the command line.
int RunWithArguments(platform::Services& services, const std::vector<std::string>& arguments,
                     const platform::Layout& layout,
                     const std::function<int(const unattended::Options&)>& window);

// Setup without a window: start-up, the command line's choices, then "Begin Install", with every
// box's text in the log and on the standard error instead. Ends the program.
[[noreturn]] void InstallWithoutWindow(platform::Services& services, const platform::Layout& layout,
                                       const unattended::Options& options);

}  // namespace setup
