#pragma once

#include <string>

#include "platform/file_system.h"
#include "platform/layout.h"

namespace setup {

enum class Recovery { NothingToDo, PutBack, Finished };

// Ends an install that a crash interrupted, as its journal in the application folder says: puts
// back the earlier files and hand-over file, or finishes the commit where every new file was
// already in place; then removes the journal. Only with the application folder's lock held: it
// must never touch a live install's files.
Recovery RecoverInterruptedInstall(platform::FileSystem& files, const platform::Layout& layout);

// The log line that tells what was done; "" when there was nothing to do.
std::string LogLineFor(Recovery recovery);

}  // namespace setup
