#include "setup/core/form1.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "handover/handover.h"
#include "platform/platform.h"
#include "setup/core/all_or_nothing_copy.h"
#include "setup/core/desktop_entry.h"
#include "setup/core/installation_files.h"
#include "setup/core/menu_icon.h"

namespace setup {

namespace {

constexpr const char* kLogName = "Install.log";
constexpr const char* kInitialize = "Initialize";
constexpr std::size_t kUserNameBufferSize = 255;

bool IsTicked(int value) {
    return value == 1;
}

// The launcher finds the folder again from one line of the hand-over file, read from another
// current folder: what it could not follow is refused before anything is written for it.
void CheckDestination(const std::string& destination) {
    const bool oneLine =
        destination.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
    if (!platform::IsFullPath(destination) || !oneLine ||
        destination.size() > platform::MaxPathLength()) {
        throw platform::RuntimeError(platform::error::kBadFileName, "Bad file name", destination);
    }
}

std::string CopyStep(const std::string& source, const std::string& destination) {
    return "Could not copy " + source + " to " + destination + ".";
}

}  // namespace

Form1::Form1(Form1Controls& controls, platform::Layout layout)
    : controls_(controls), layout_(std::move(layout)) {}

void Form1::Form_Load() {
    workingFolder_ = platform::CurrentFolder();
    AppendLog(kInitialize);
    installFolder_ = layout_.applicationFolder;
    controls_.SetCheckValue(CheckBox::Check1, 1);
    controls_.SetCheckValue(CheckBox::Check2, 1);
    controls_.SetCheckValue(CheckBox::Check3, 1);
    desktopIconOption_ = true;
    startMenuOption_ = true;
    programsMenuOption_ = true;
    ProbeForJava();
}

// Errors are ignored from the probe on: whatever fails, a missing Java still ends the program.
void Form1::ProbeForJava() const {
    std::int64_t processId = 0;
    try {
        processId = platform::StartProgramHidden("java");
    } catch (const platform::RuntimeError&) {
    }
    if (processId != 0) {
        return;
    }
    try {
        platform::ShowMessage(
            "Velmora_KZ 2.0.1 Needs Java Version 1.4.2 or Higher To Execute\r\n"
            "Download from www.java.com",
            "Finished");
    } catch (const platform::RuntimeError&) {
    }
    try {
        AppendLog("Java Not Installed");
    } catch (const platform::RuntimeError&) {
    }
    platform::EndProgram();
}

void Form1::Check1_Click() {
    desktopIconOption_ = IsTicked(controls_.CheckValue(CheckBox::Check1));
}

void Form1::Check2_Click() {
    startMenuOption_ = IsTicked(controls_.CheckValue(CheckBox::Check2));
}

void Form1::Check3_Click() {
    programsMenuOption_ = IsTicked(controls_.CheckValue(CheckBox::Check3));
}

void Form1::Drive1_Change() {
    controls_.SetDir1Path(controls_.Drive1Drive());
}

void Form1::Dir1_Change() {
    installFolder_ = controls_.Dir1Path();
    controls_.SetText1Text(controls_.Dir1Path());
}

void Form1::Text1_Change() {
    installFolder_ = controls_.Text1Text();
}

void Form1::Command2_Click() {
    platform::EndProgram();
}

void Form1::Command1_Click() {
    Progress progress;
    try {
        RunInstall(progress);
    } catch (const platform::RuntimeError& error) {
        ReportFailure(error.Description(), progress);
    }
}

void Form1::RunInstall(Progress& progress) {
    const std::string destination = controls_.Text1Text();
    installFolder_ = destination;
    Log(progress, "Created Install.log Successfully");
    progress.step = destination.empty()
                        ? std::string("Could not install: no install folder was given.")
                        : "Could not install into the folder " + destination + ".";
    CheckDestination(destination);

    const std::string& applicationFolder = layout_.applicationFolder;
    if (FileExists(applicationFolder) == -1) {
        CreateFolder(progress, applicationFolder);
        Log(progress, "Created Directory: " + applicationFolder + " Successfully");
    }
    WriteHandover(progress, destination);
    // The log has always named the hand-over file "Startup.txt".
    Log(progress, "Created " + Join(applicationFolder, "Startup.txt") + " Successfully");

    progress.source = Join(workingFolder_, kLauncherFile);
    progress.step = "Could not get the name of the current user.";
    const std::string userName = GetCurrentUserName();
    Log(progress, "Current User Name " + userName);

    const platform::UserPlaces targets = ShortcutTargets(userName);
    progress.desktopTarget = Join(targets.desktop, kLauncherFile);
    if (desktopIconOption_) {
        Log(progress, "Creating Desktop Icon");
        PlaceShortcut(progress, targets.desktop);
    }
    if (startMenuOption_) {
        Log(progress, "Creating Start Menu Shortcut");
        PlaceShortcut(progress, targets.startMenu);
        if (layout_.startMenuNeedsDesktopEntry) {
            WriteMenuIcon(progress, targets.iconTheme);
            WriteDesktopEntry(progress, targets.startMenu);
        }
    }
    if (programsMenuOption_) {
        Log(progress, "Creating Program Menu Shortcut Icon");
        PlaceShortcut(progress, targets.programs);
    }

    if (FileExists(destination) == -1) {
        CreateFolder(progress, destination);
        Log(progress, "Created Directory: " + destination + " Successfully");
    }
    if (destination != workingFolder_) {
        CopyApplicationFiles(progress, destination);
        Log(progress, "Copied Installation Files Successfully");
    }
    platform::ShowMessage("Velmora_KZ 2.0.1 Installation is Complete", "Finished");
    platform::EndProgram();
}

void Form1::Log(Progress& progress, const std::string& text) const {
    progress.step = "Could not write to the log " + LogPath() + ".";
    AppendLog(text);
}

void Form1::CreateFolder(Progress& progress, const std::string& folder) const {
    progress.step = "Could not create the folder " + folder + ".";
    platform::CreateFolder(folder);
}

void Form1::WriteHandover(Progress& progress, const std::string& destination) {
    const std::string path = layout_.HandoverFile();
    progress.step = "Could not write the file " + path + ".";
    earlierHandover_.reset();
    earlierHandoverKnown_ = true;
    try {
        if (FileExists(path) != -1) {
            const auto length = static_cast<std::size_t>(platform::FileLength(path));
            earlierHandover_ = platform::ReadPrefix(path, length);
        }
    } catch (const platform::RuntimeError&) {
        // What cannot be read cannot be put back; the new record is still worth writing.
        earlierHandoverKnown_ = false;
    }
    handover::Write(path, destination);
    progress.handoverWritten = true;
}

platform::UserPlaces Form1::ShortcutTargets(const std::string& userName) const {
    platform::UserPlaces places = layout_.PlacesOf(userName);
    if (FileExists(places.profile) == -1) {
        return layout_.sharedPlaces;
    }
    return places;
}

void Form1::PlaceShortcut(Progress& progress, const std::string& folder) const {
    if (layout_.createsMissingTargetFolders) {
        progress.step = "Could not create the folder " + folder + ".";
        platform::CreateFolderTree(folder);
    }
    const std::string target = Join(folder, kLauncherFile);
    progress.step = CopyStep(progress.source, target);
    platform::CopyFile(progress.source, target);
}

void Form1::WriteDesktopEntry(Progress& progress, const std::string& folder) const {
    const std::string entry = Join(folder, kDesktopEntryName);
    progress.step = "Could not write the file " + entry + ".";
    platform::ReplaceFile(entry, DesktopEntryFor(Join(folder, kLauncherFile)));
}

// The entry names its icon; menus look it up in the theme by that name, at the size they need.
void Form1::WriteMenuIcon(Progress& progress, const std::string& iconTheme) const {
    for (std::size_t i = 0; i < kMenuIconSizes.size(); ++i) {
        const std::string size = std::to_string(kMenuIconSizes[i]);
        const std::string folder = Join(Join(iconTheme, size + "x" + size), "apps");
        progress.step = "Could not create the folder " + folder + ".";
        platform::CreateFolderTree(folder);
        const std::string icon = Join(folder, std::string(kMenuIconName) + ".png");
        progress.step = "Could not write the file " + icon + ".";
        platform::ReplaceFile(icon, std::string(kMenuIconImages[i]));
    }
}

// Sources are bare names: the current folder is still the working folder. A failure leaves the
// destination as it was, so that an earlier installation there still runs.
void Form1::CopyApplicationFiles(Progress& progress, const std::string& destination) const {
    std::vector<FileToCopy> files;
    files.reserve(kInstallationFiles.size());
    for (const auto name : kInstallationFiles) {
        files.push_back({std::string(name), Join(destination, std::string(name))});
    }
    AllOrNothingCopy copy(destination, std::move(files));
    progress.step = "Could not copy the installation files to " + destination + ".";
    try {
        copy.Run();
    } catch (const platform::RuntimeError&) {
        if (const FileToCopy* failed = copy.FailedFile()) {
            progress.step = CopyStep(failed->source, failed->destination);
        }
        throw;
    }
}

// Nothing here catches: an error while logging the failure or putting the hand-over file back
// goes to the runtime's error box.
void Form1::ReportFailure(const std::string& description, const Progress& progress) const {
    AppendLog("Error During Setup: " + description);
    AppendLog("Working Directory: " + workingFolder_);
    AppendLog("Source Directory: " + progress.source);
    AppendLog("Destination Directory: " + progress.desktopTarget);
    if (progress.handoverWritten) {
        RestoreHandover();
    }
    const std::string step = progress.step.empty() ? "" : progress.step + "\r\n";
    platform::ShowMessage(
        "Error During Setup: " + description + "\r\n" + step + "See " + LogPath() + " for details.",
        "Velmora_KZ 2.0.1 Setup");
    platform::EndProgram();
}

void Form1::RestoreHandover() const {
    if (!earlierHandoverKnown_) {
        return;
    }
    if (earlierHandover_) {
        platform::ReplaceFile(layout_.HandoverFile(), *earlierHandover_);
    } else {
        platform::RemoveFile(layout_.HandoverFile());
    }
}

void Form1::AppendLog(const std::string& text) const {
    const std::string stamp = platform::LocalDateTimeText();
    if (text == kInitialize) {
        platform::PrintLine(LogPath(), platform::OpenFor::Output,
                            stamp + "~Install Log Initialized");
    } else {
        platform::PrintLine(LogPath(), platform::OpenFor::Append, stamp + "~" + text);
    }
}

std::string Form1::LogPath() const {
    return Join(workingFolder_, kLogName);
}

std::int16_t Form1::FileExists(const std::string& strFile) {
    std::int64_t length = -1;
    try {
        length = platform::FileLength(strFile);
    } catch (const platform::RuntimeError&) {
    }
    if (length == 0) {
        return 0;
    }
    return length > 0 ? 1 : -1;
}

std::string Form1::GetCurrentUserName() {
    try {
        return platform::LogonUserName(kUserNameBufferSize);
    } catch (const platform::SystemCallFailed& failure) {
        const auto code = static_cast<int>(failure.code);
        throw platform::RuntimeError(
            code, "A system call returned an error code of " + std::to_string(failure.code), {},
            code);
    }
}

std::string Form1::Join(const std::string& folder, const std::string& name) const {
    return folder + layout_.separator + name;
}

}  // namespace setup
