#include "setup/core/install_log.h"

#include <utility>

namespace setup {

InstallLog::InstallLog(platform::Services& services, std::string path)
    : services_(services), path_(std::move(path)) {}

void InstallLog::Start() const {
    Write(platform::OpenFor::Output, "Install Log Initialized");
}

void InstallLog::Append(const std::string& text) const {
    Write(platform::OpenFor::Append, text);
}

void InstallLog::Write(platform::OpenFor mode, const std::string& text) const {
    services_.Files().PrintLine(path_, mode, services_.LocalDateTimeText() + "~" + text);
}

}  // namespace setup
