#pragma once

#include <cstdint>
#include <string>

#include "platform/layout.h"
#include "setup/core/form1_controls.h"

namespace setup {

// The installer window's logic: its state, its handlers and its private operations. It knows its
// controls only through Form1Controls, so any window toolkit can sit on top.
class Form1 {
public:
    Form1(Form1Controls& controls, platform::Layout layout);

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
    void AppendLog(const std::string& text) const;
    static std::int16_t FileExists(const std::string& strFile);
    static std::string GetCurrentUserName();

    const std::string& WorkingFolder() const { return workingFolder_; }
    const std::string& InstallFolder() const { return installFolder_; }
    bool DesktopIconOption() const { return desktopIconOption_; }
    bool StartMenuOption() const { return startMenuOption_; }
    bool ProgramsMenuOption() const { return programsMenuOption_; }
    std::string LogPath() const;

private:
    void ProbeForJava() const;
    void RunInstall(std::string& source, std::string& desktopTarget);
    platform::UserPlaces ShortcutTargets(const std::string& userName) const;
    void PlaceShortcut(const std::string& source, const std::string& folder) const;
    void WriteMenuIcon(const std::string& iconTheme) const;
    void WriteDesktopEntry(const std::string& folder) const;
    void CopyApplicationFiles(const std::string& destination) const;
    void ReportFailure(const std::string& description, const std::string& source,
                       const std::string& desktopTarget) const;
    std::string Join(const std::string& folder, const std::string& name) const;

    Form1Controls& controls_;
    platform::Layout layout_;

    std::string workingFolder_;
    bool desktopIconOption_ = false;
    bool startMenuOption_ = false;
    bool programsMenuOption_ = false;
    std::string installFolder_;
};

}  // namespace setup
