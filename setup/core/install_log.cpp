#include "setup/core/install_log.h"

#include <utility>

#include "platform/runtime_error.h"

namespace setup {

namespace {

constexpr const char* kFirstLine = "Install Log Initialized";

std::vector<std::string> PathsBeforeStart(const LogPlaces& places) {
    std::vector<std::string> paths;
    if (!places.besideSetup.empty()) {
        paths.push_back(places.besideSetup);
    }
    paths.insert(paths.end(), places.named.begin(), places.named.end());
    return paths;
}

}  // namespace

InstallLog::InstallLog(platform::Services& services, std::string path)
    : InstallLog(services, LogPlaces{.besideSetup = std::move(path),
                                     .fallbackFolder = {},
                                     .fallbackFile = {},
                                     .named = {}}) {}

InstallLog::InstallLog(platform::Services& services, LogPlaces places)
    : services_(&services), places_(std::move(places)), paths_(PathsBeforeStart(places_)) {}

void InstallLog::Start() {
    std::vector<std::string> paths;
    if (!places_.besideSetup.empty()) {
        paths.push_back(StartBesideSetup());
    }
    for (const auto& place : places_.named) {
        Write(place, platform::OpenFor::Output, kFirstLine);
        paths.push_back(place);
    }
    paths_ = std::move(paths);
}

std::string InstallLog::StartBesideSetup() const {
    const std::string& beside = places_.besideSetup;
    try {
        Write(beside, platform::OpenFor::Output, kFirstLine);
        return beside;
    } catch (const platform::RuntimeError& error) {
        const std::string& fallback = places_.fallbackFile;
        if (error.Number() != platform::error::kPermissionDenied || fallback.empty()) {
            throw;
        }
        platform::CreateMissingFolders(services_->Files(), places_.fallbackFolder);
        Write(fallback, platform::OpenFor::Output,
              std::string(kFirstLine) + " here, as " + beside +
                  " cannot be written: " + error.Description());
        return fallback;
    }
}

void InstallLog::Append(const std::string& text) const {
    for (const auto& path : paths_) {
        Write(path, platform::OpenFor::Append, text);
    }
}

void InstallLog::Write(const std::string& path, platform::OpenFor mode,
                       const std::string& text) const {
    services_->Files().PrintLine(path, mode, services_->LocalDateTimeText() + "~" + text);
}

std::string CompletionText(const InstallLog& log) {
    std::string text = "Velmora_KZ 2.0.1 Installation is Complete";
    if (log.Moved()) {
        text += "\r\nThe log is in " + log.Path() + ".";
    }
    return text;
}

}  // namespace setup
