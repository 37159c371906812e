#pragma once

#include <string>

#include "platform/services.h"

namespace setup {

// Install.log in the working folder: one line an event, the local time, "~" and the text. The
// file is opened and closed for every line, so what is on the disk is whole after each.
class InstallLog {
public:
    InstallLog(platform::Services& services, std::string path);

    // Truncates the log to its first line, "Install Log Initialized".
    void Start() const;
    void Append(const std::string& text) const;

    const std::string& Path() const { return path_; }

private:
    void Write(platform::OpenFor mode, const std::string& text) const;

    platform::Services& services_;
    std::string path_;
};

}  // namespace setup
