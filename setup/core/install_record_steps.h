#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/layout.h"
#include "platform/services.h"
#include "setup/core/installer.h"
#include "setup/core/placement_recorder.h"

namespace setup {

// One step of the install's end, with the text that names it to the user if it fails.
struct FinishingStep {
    std::string failureText;
    std::function<void()> action;
};

// What a successful install does last, once every file is in place and before it says so: puts
// the uninstaller from the medium into the application folder (when the medium has one), gives
// it a menu entry beside the launcher's where menus need desktop entries, writes the install
// record (merged with an earlier one) and, where the system keeps a list of installed programs,
// enters the uninstaller there. None of them writes to the log. placements must be the files the
// install placed everything through.
std::vector<FinishingStep> FinishingSteps(platform::Services& services,
                                          const platform::Layout& layout,
                                          const InstallRequest& request,
                                          PlacementRecorder& placements);

}  // namespace setup
