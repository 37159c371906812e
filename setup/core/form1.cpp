#include "setup/core/form1.h"

#include <cstdint>
#include <utility>

#include "setup/core/recovery.h"

namespace setup {

namespace {

constexpr const char* kLogName = "Install.log";
constexpr const char* kInitialize = "Initialize";

bool IsTicked(int value) {
    return value == 1;
}

}  // namespace

Form1::Form1(Form1Controls& controls, platform::Services& services, platform::Layout layout,
             unattended::Options options)
    : controls_(controls),
      services_(services),
      layout_(std::move(layout)),
      options_(std::move(options)),
      log_(services, LogPlaces{}) {}

void Form1::Form_Load() {
    workingFolder_ = services_.Files().CurrentFolder();
    log_ = InstallLog(services_, PlacesOfTheLog());
    AppendLog(kInitialize);
    RecoverInterruptedInstall();
    installFolder_ = layout_.applicationFolder;
    controls_.SetCheckValue(CheckBox::Check1, 1);
    controls_.SetCheckValue(CheckBox::Check2, 1);
    controls_.SetCheckValue(CheckBox::Check3, 1);
    desktopIconOption_ = true;
    startMenuOption_ = true;
    programsMenuOption_ = true;
    ProbeForJava();
    ApplyCommandLine();
}

LogPlaces Form1::PlacesOfTheLog() const {
    const std::string& fallback = layout_.logFallbackFolder;
    LogPlaces places{.besideSetup = options_.log ? "" : layout_.Join(workingFolder_, kLogName),
                     .fallbackFolder = fallback,
                     .fallbackFile = fallback.empty() ? "" : layout_.Join(fallback, kLogName),
                     .named = {}};
    for (const auto& place : {options_.log, options_.alsoLog}) {
        if (place) {
            places.named.push_back(*place);
        }
    }
    return places;
}

// Through the controls, whose handlers keep the state in step, so the window shows the choice.
void Form1::ApplyCommandLine() {
    const std::pair<CheckBox, bool> boxes[] = {{CheckBox::Check1, options_.desktopIcon},
                                               {CheckBox::Check2, options_.startMenu},
                                               {CheckBox::Check3, options_.programsMenu}};
    for (const auto& [box, ticked] : boxes) {
        if (!ticked) {
            controls_.SetCheckValue(box, 0);
        }
    }
    if (options_.destination) {
        controls_.SetText1Text(*options_.destination);
    }
}

// An install a crash interrupted is put back, or finished, before the user sees the window, so
// that the launcher starts a whole installation again. Whatever stands in the way is left for
// "Begin Install", which tries again and reports it.
void Form1::RecoverInterruptedInstall() const {
    try {
        const auto lock = services_.Files().TryLockFolder(layout_.applicationFolder);
        if (lock) {
            const Recovery recovery = setup::RecoverInterruptedInstall(services_, layout_);
            if (recovery != Recovery::NothingToDo) {
                AppendLog(LogLineFor(recovery));
            }
        }
    } catch (const platform::RuntimeError&) {
    } catch (const StepFailure&) {
    }
}

// Errors are ignored from the probe on: whatever fails, a missing Java still ends the program.
void Form1::ProbeForJava() const {
    std::int64_t processId = 0;
    try {
        processId = services_.StartProgramHidden("java");
    } catch (const platform::RuntimeError&) {
    }
    if (processId != 0) {
        return;
    }
    try {
        services_.ShowMessage(
            "Velmora_KZ 2.0.1 Needs Java Version 1.4.2 or Higher To Execute\r\n"
            "Download from www.java.com",
            "Finished");
    } catch (const platform::RuntimeError&) {
    }
    try {
        AppendLog("Java Not Installed");
    } catch (const platform::RuntimeError&) {
    }
    services_.EndProgram(platform::ExitStatus::JavaMissing);
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

void Form1::Command1_Click() {
    installFolder_ = controls_.Text1Text();
    const InstallRequest request{.workingFolder = workingFolder_,
                                 .destination = installFolder_,
                                 .desktopIcon = desktopIconOption_,
                                 .startMenu = startMenuOption_,
                                 .programsMenu = programsMenuOption_};
    Installer(services_, layout_, Log()).Run(request);
}

void Form1::Command2_Click() {
    services_.EndProgram(platform::ExitStatus::Cancelled);
}

void Form1::AppendLog(const std::string& text) const {
    if (text == kInitialize) {
        log_.Start();
    } else {
        log_.Append(text);
    }
}

FileExistsResult Form1::FileExists(const std::string& strFile) const {
    return setup::FileExists(services_.Files(), strFile);
}

std::string Form1::GetCurrentUserName() const {
    return setup::GetCurrentUserName(services_);
}

}  // namespace setup
