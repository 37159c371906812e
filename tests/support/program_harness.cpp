#include "tests/support/program_harness.h"

#include <cstdlib>
#include <filesystem>

#include "platform/platform.h"

namespace testing_support {

ProgramHarness::ProgramHarness()
    : savedFolder_(std::filesystem::current_path().string()),
      savedPath_(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "") {
    platform::SetMessageBoxHandler([this](const std::string& text, const std::string& title) {
        messages_.push_back({title, text});
    });
    platform::SetEndAction([] { throw ProgramEnded{}; });
}

ProgramHarness::~ProgramHarness() {
    platform::SetMessageBoxHandler([](const std::string&, const std::string&) {});
    platform::SetEndAction({});
    std::filesystem::current_path(savedFolder_);
    ::setenv("PATH", savedPath_.c_str(), 1);
}

void ProgramHarness::ProvideJava(const TempFolder& scratch) {
    const std::string folder = scratch / "java-bin";
    MakeFolders(folder);
    WriteFile(folder + "/java", "#!/bin/sh\nexit 0\n", 0755);
    ::setenv("PATH", folder.c_str(), 1);
}

void ProgramHarness::HideJava(const TempFolder& scratch) {
    const std::string folder = scratch / "empty-bin";
    MakeFolders(folder);
    ::setenv("PATH", folder.c_str(), 1);
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
