#pragma once

#include <vector>

#include "platform/layout.h"
#include "setup/core/install_steps.h"

namespace setup {

// What an install does last, once everything else is in place: puts the uninstaller from the
// medium into the application folder (when the medium has one), gives it a menu entry beside the
// launcher's where menus need desktop entries, writes the install record (merged with an earlier
// one) and, where the system keeps a list of installed programs, enters the uninstaller there.
// None of them writes to the log.
std::vector<InstallStep> FinishingSteps(const InstallRequest& request,
                                        const platform::Layout& layout);

}  // namespace setup
