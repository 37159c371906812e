#pragma once

#include <string>

#include "platform/layout.h"
#include "platform/services.h"

namespace setup {

enum class Recovery { NothingToDo, PutBack, Finished };

// Ends an install that a crash interrupted the way its journal in the application folder points:
// one still making or taking back its changes is taken back; one that had made them all is
// finished, letting go of what they replaced. Then the journal goes. Raises a StepFailure, and
// changes nothing, for a journal that anyone but its owner can change (it, or a folder above it)
// and for one that is not as Setup wrote it; raises one naming where the
// earlier files are kept for what could not be put back, and leaves the journal. Only with the
// application folder's lock held: it must never touch a live install's files.
Recovery RecoverInterruptedInstall(platform::Services& services, const platform::Layout& layout);

// The log line that tells what was done; "" when there was nothing to do.
std::string LogLineFor(Recovery recovery);

}  // namespace setup
