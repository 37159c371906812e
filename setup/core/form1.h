#pragma once

#include <cstdint>
#include <optional>
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
    // What the failure route reports, filled in as the install goes.
    struct Progress {
        std::string source;
        std::string desktopTarget;
        std::string step;  // names the operation under way and its place, for the failure box
        bool handoverWritten = false;
    };

    void ProbeForJava() const;
    void RunInstall(Progress& progress);
    void Log(Progress& progress, const std::string& text) const;
    void CreateFolder(Progress& progress, const std::string& folder) const;
    void WriteHandover(Progress& progress, const std::string& destination);
    platform::UserPlaces ShortcutTargets(const std::string& userName) const;
    void PlaceShortcut(Progress& progress, const std::string& folder) const;
    void WriteMenuIcon(Progress& progress, const std::string& iconTheme) const;
    void WriteDesktopEntry(Progress& progress, const std::string& folder) const;
    void CopyApplicationFiles(Progress& progress, const std::string& destination) const;
    void ReportFailure(const std::string& description, const Progress& progress) const;
    void RestoreHandover() const;
    std::string Join(const std::string& folder, const std::string& name) const;

    Form1Controls& controls_;
    platform::Layout layout_;

    std::string workingFolder_;
    bool desktopIconOption_ = false;
    bool startMenuOption_ = false;
    bool programsMenuOption_ = false;
    std::string installFolder_;
    // The hand-over file as it was before this install wrote it: put back when the install
    // fails, so that the launcher keeps finding the installation that worked.
    bool earlierHandoverKnown_ = false;
    std::optional<std::string> earlierHandover_;
};

}  // namespace setup
