#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/runtime_error.h"
#include "tests/support/temp_folder.h"

namespace testing_support {

// Thrown by the end action the harness installs, so a test sees where the program ended.
struct ProgramEnded : platform::EndOfProgram {};

struct ShownMessage {
    std::string title;
    std::string text;
};

// Records every message box and turns the end of the program into ProgramEnded; puts the
// current folder and PATH back and disarms injected faults when the test is over.
class ProgramHarness {
public:
    ProgramHarness();
    ProgramHarness(const ProgramHarness&) = delete;
    ProgramHarness& operator=(const ProgramHarness&) = delete;
    ~ProgramHarness();

    const std::vector<ShownMessage>& Messages() const { return messages_; }

    // A search path holding only a stand-in "java", or nothing at all.
    void ProvideJava(const TempFolder& scratch);
    void HideJava(const TempFolder& scratch);

private:
    std::vector<ShownMessage> messages_;
    std::string savedFolder_;
    std::string savedPath_;
};

// Puts a program named "java" that ends at once into folder. Each system's tests define it:
// a script on Linux, a copy of a program built with the tests on Windows.
void PlaceJavaStandIn(const std::string& folder);
// Puts a program into folder that a search for name finds, which records the folder it was
// started in and ends; RecordedFolder waits for that record and reads it.
void PlaceFolderRecorder(const std::string& folder, const std::string& name);
std::string RecordedFolder(const std::string& folder);

// Each message box as "title|text", to compare them whole.
std::vector<std::string> Shown(const std::vector<ShownMessage>& messages);

// Runs an action that is expected to end the program; false if it returned instead.
template <typename Action>
bool EndsProgram(Action&& action) {
    try {
        action();
    } catch (const ProgramEnded&) {
        return true;
    }
    return false;
}

// The number of the run-time error an action raised, or 0 if it raised none.
int ErrorNumberOf(const std::function<void()>& action);

}  // namespace testing_support
