#include "launcher/core/launcher_form.h"

#include <string>
#include <utility>

#include "handover/handover.h"

namespace launcher {

Form1::Form1(platform::Services& services, platform::Layout layout)
    : services_(services), layout_(std::move(layout)) {}

void Form1::Form_Load() {
    const std::string applicationFolder = ApplicationFolderToFollow();
    const std::string handoverFile = layout_.HandoverFileIn(applicationFolder);
    platform::FileSystem& files = services_.Files();
    files.ChangeFolder(applicationFolder + layout_.separator);
    // Whoever can change one of these places can choose the program started from here.
    files.RequireOnlyOwnerCanWrite(applicationFolder);
    const std::string installFolder = handover::ReadFirstLine(files, handoverFile);
    files.RequireOnlyOwnerCanWrite(handoverFile);
    RefuseInterruptedInstall(applicationFolder, installFolder);
    // What is checked is held, so that it is what gets started: the folder, then the program
    // in it, by its full path rather than by a search that looks beside the launcher first.
    files.EnterTrustedFolder(installFolder);
    files.RequireTrustedProgram(installFolder, kApplicationProgram);
    // The id is not needed: the application runs on its own.
    [[maybe_unused]] const auto processId =
        services_.StartInstalledProgram(installFolder, kApplicationProgram);
}

// While Setup's journal is there, the installation may hold old and new files side by side.
void Form1::RefuseInterruptedInstall(const std::string& applicationFolder,
                                     const std::string& installFolder) const {
    try {
        services_.Files().FileLength(layout_.JournalFileIn(applicationFolder));
    } catch (const platform::RuntimeError&) {
        return;
    }
    throw platform::RuntimeError(platform::error::kPathFileAccessError, installFolder, 0,
                                 platform::Reason::InstallInterrupted);
}

// The user's own install comes first; the install for everyone serves every user without one.
std::string Form1::ApplicationFolderToFollow() const {
    try {
        services_.Files().FileLength(layout_.HandoverFile());
        return layout_.applicationFolder;
    } catch (const platform::RuntimeError&) {
        return layout_.sharedApplicationFolder;
    }
}

}  // namespace launcher
