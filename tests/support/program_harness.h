#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/runtime_error.h"
#include "platform/testing/recording_services.h"
#include "tests/support/temp_folder.h"

namespace testing_support {

using platform::fakes::ProgramEnded;
using platform::fakes::RecordingServices;

// Puts the current folder and the search path back when the test is over: programs under test
// change the one, tests the other.
class FolderAndPathGuard {
public:
    FolderAndPathGuard();
    FolderAndPathGuard(const FolderAndPathGuard&) = delete;
    FolderAndPathGuard& operator=(const FolderAndPathGuard&) = delete;
    ~FolderAndPathGuard();

private:
    std::string savedFolder_;
    std::string savedPath_;
};

void SetSearchPath(const std::string& value);

// Puts a program named "java" that ends at once into folder. Each system's tests define it:
// a script on Linux, a copy of a program built with the tests on Windows.
void PlaceJavaStandIn(const std::string& folder);
// Puts a program into folder that a search for name finds, which records the folder it was
// started in and ends; RecordedFolder waits for that record and reads it.
void PlaceFolderRecorder(const std::string& folder, const std::string& name);
std::string RecordedFolder(const std::string& folder);

// The status an action ended the program with, or nothing if it returned instead.
std::optional<platform::ExitStatus> EndStatusOf(const std::function<void()>& action);

// Runs an action that is expected to end the program; false if it returned instead.
inline bool EndsProgram(const std::function<void()>& action) {
    return EndStatusOf(action).has_value();
}

// The number of the run-time error an action raised, or 0 if it raised none.
int ErrorNumberOf(const std::function<void()>& action);

}  // namespace testing_support
