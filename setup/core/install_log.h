#pragma once

#include <string>
#include <vector>

#include "platform/services.h"

namespace setup {

// Where the log goes: Install.log beside Setup, in the folder it started in, unless the command
// line moves it, and any further place the command line names.
struct LogPlaces {
    std::string besideSetup;  // "" when the command line moved the log
    // Where it goes when besideSetup cannot be written, made on demand; "" for nowhere.
    std::string fallbackFolder;
    std::string fallbackFile;
    std::vector<std::string> named;
};

// Install.log: one line an event, the local time, "~" and the text, written to each of its
// places. The file is opened and closed for every line, so what is on the disk is whole after
// each.
class InstallLog {
public:
    InstallLog(platform::Services& services, std::string path);
    InstallLog(platform::Services& services, LogPlaces places);

    // Truncates the log to its first line, "Install Log Initialized", in each place. Where the
    // folder Setup started in refuses the log (a read-only medium), the log goes to the fallback
    // file instead, and its first line says why; that folder is left as it was.
    void Start();
    void Append(const std::string& text) const;

    // Where the log really is: the place the boxes name.
    const std::string& Path() const {
        return paths_.empty() ? places_.besideSetup : paths_.front();
    }
    // Whether that is not beside Setup.
    bool Moved() const { return Path() != places_.besideSetup; }

private:
    std::string StartBesideSetup() const;
    void Write(const std::string& path, platform::OpenFor mode, const std::string& text) const;

    platform::Services* services_;
    LogPlaces places_;
    std::vector<std::string> paths_;  // where each line goes, the one the boxes name first
};

// The text of the "Finished" box: the log named on a line of its own where it is not beside Setup.
std::string CompletionText(const InstallLog& log);

}  // namespace setup
