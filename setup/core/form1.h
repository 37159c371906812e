#pragma once

#include <string>

#include "platform/layout.h"
#include "platform/services.h"
#include "setup/core/form1_controls.h"
#include "setup/core/install_log.h"
#include "setup/core/installer.h"
#include "setup/core/queries.h"
#include "unattended/command_line.h"

namespace setup {

// The installer window's logic: its state, its handlers and its private operations. It knows its
// controls only through Form1Controls, so any window toolkit can sit on top; "Begin Install"
// hands an install request to the Installer. What a command line chose is made on the controls
// at the end of start-up, as a user would make it.
class Form1 {
public:
    Form1(Form1Controls& controls, platform::Services& services, platform::Layout layout,
          unattended::Options options = {});

    // Handlers, called by the window.
    void Form_Load();
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Drive1_Change();
    void Dir1_Change();
    void Text1_Change();
    void Command1_Click();
    void Command2_Click();

    // Private operations of the window, public here so that they can be tested alone.
    // "Initialize" starts the log afresh; any other text is appended.
    void AppendLog(const std::string& text) const;
    FileExistsResult FileExists(const std::string& strFile) const;
    std::string GetCurrentUserName() const;

    const std::string& WorkingFolder() const { return workingFolder_; }
    const std::string& InstallFolder() const { return installFolder_; }
    bool DesktopIconOption() const { return desktopIconOption_; }
    bool StartMenuOption() const { return startMenuOption_; }
    bool ProgramsMenuOption() const { return programsMenuOption_; }
    InstallLog Log() const { return log_; }

private:
    void RecoverInterruptedInstall() const;
    void ProbeForJava() const;
    void ApplyCommandLine();
    LogPlaces PlacesOfTheLog() const;

    Form1Controls& controls_;
    platform::Services& services_;
    platform::Layout layout_;
    unattended::Options options_;

    std::string workingFolder_;
    // Where its first line went decides where the others go.
    mutable InstallLog log_;
    bool desktopIconOption_ = false;
    bool startMenuOption_ = false;
    bool programsMenuOption_ = false;
    std::string installFolder_;
};

}  // namespace setup
