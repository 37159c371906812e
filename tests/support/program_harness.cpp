#include "tests/support/program_harness.h"

#include <cstdlib>
#include <filesystem>

#include "platform/fault_injection.h"
#include "platform/platform.h"

namespace testing_support {

namespace {

void SetSearchPath(const std::string& value) {
#ifdef _WIN32
    ::_putenv_s("PATH", value.c_str());
#else
    ::setenv("PATH", value.c_str(), 1);
#endif
}

}  // namespace

ProgramHarness::ProgramHarness()
    : savedFolder_(std::filesystem::current_path().string()),
      savedPath_(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "") {
    platform::SetMessageBoxHandler([this](const std::string& text, const std::string& title) {
        messages_.push_back({title, text});
    });
    platform::SetEndAction([] { throw ProgramEnded{}; });
}

ProgramHarness::~ProgramHarness() {
    platform::fault_injection::Clear();
    platform::SetMessageBoxHandler([](const std::string&, const std::string&) {});
    platform::SetEndAction({});
    std::error_code ignored;
    std::filesystem::current_path(savedFolder_, ignored);
    SetSearchPath(savedPath_);
}

void ProgramHarness::ProvideJava(const TempFolder& scratch) {
    const std::string folder = scratch / "java-bin";
    MakeFolders(folder);
    PlaceJavaStandIn(folder);
    SetSearchPath(folder);
}

void ProgramHarness::HideJava(const TempFolder& scratch) {
    const std::string folder = scratch / "empty-bin";
    MakeFolders(folder);
    SetSearchPath(folder);
}

#ifndef _WIN32
void PlaceJavaStandIn(const std::string& folder) {
    WriteFile(folder + "/java", "#!/bin/sh\nexit 0\n", 0755);
}

void PlaceFolderRecorder(const std::string& folder, const std::string& name) {
    WriteFile(
        folder + "/" + name,
        "#!/bin/sh\npwd > Velmora_KZ.pending\n/bin/mv Velmora_KZ.pending Velmora_KZ.started\n",
        0755);
}
#endif

std::string RecordedFolder(const std::string& folder) {
    std::string record = WaitForFile(folder + kSeparator + "Velmora_KZ.started");
    const auto end = record.find_first_of("\r\n");
    return end == std::string::npos ? record + "<no line end>" : record.substr(0, end);
}

std::vector<std::string> Shown(const std::vector<ShownMessage>& messages) {
    std::vector<std::string> shown;
    shown.reserve(messages.size());
    for (const auto& message : messages) {
        shown.push_back(message.title + "|" + message.text);
    }
    return shown;
}

int ErrorNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const platform::RuntimeError& error) {
        return error.Number();
    }
    return 0;
}

}  // namespace testing_support
