#include "tests/support/program_harness.h"

#include <cstdlib>
#include <filesystem>

namespace testing_support {

FolderAndPathGuard::FolderAndPathGuard()
    : savedFolder_(std::filesystem::current_path().string()),
      savedPath_(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "") {}

FolderAndPathGuard::~FolderAndPathGuard() {
    std::error_code ignored;
    std::filesystem::current_path(savedFolder_, ignored);
    SetSearchPath(savedPath_);
}

void SetSearchPath(const std::string& value) {
#ifdef _WIN32
    ::_putenv_s("PATH", value.c_str());
#else
    ::setenv("PATH", value.c_str(), 1);
#endif
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

std::optional<platform::ExitStatus> EndStatusOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ProgramEnded& ended) {
        return ended.status;
    }
    return std::nullopt;
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
