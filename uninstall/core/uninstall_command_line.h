#pragma once

#include "platform/layout.h"
#include "platform/services.h"
#include "unattended/command_line.h"

namespace uninstall {

// The uninstall as its command line asks: with a log (the one named, or for a silent run
// Uninstall.log in the layout's fallback folder), started before anything else, so that a place
// that cannot take it ends the program before anything is removed; each box's text goes there,
// and silent, no box is shown and the question is answered Yes. Without options, the uninstall
// as it always was.
[[noreturn]] void UninstallAsAsked(platform::Services& services, const platform::Layout& layout,
                                   const unattended::Options& options);

}  // namespace uninstall
