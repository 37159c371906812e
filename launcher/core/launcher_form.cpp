#include "launcher/core/launcher_form.h"

#include <string>
#include <utility>

#include "handover/handover.h"
#include "platform/platform.h"

namespace launcher {

Form1::Form1(platform::Layout layout) : layout_(std::move(layout)) {}

void Form1::Form_Load() {
    platform::ChangeFolder(layout_.applicationFolder + layout_.separator);
    // Whoever can change one of these places can choose the program started from here.
    platform::RequireOnlyOwnerCanWrite(layout_.applicationFolder);
    const std::string installFolder = handover::ReadFirstLine(layout_.HandoverFile());
    platform::RequireOnlyOwnerCanWrite(layout_.HandoverFile());
    platform::RequireOnlyOwnerCanWrite(installFolder);
    platform::ChangeFolder(installFolder);
    // The id is not needed: the application runs on its own.
    [[maybe_unused]] const auto processId = platform::StartProgramHidden(kApplicationProgram);
}

}  // namespace launcher
