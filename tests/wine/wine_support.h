#pragma once

#include <functional>
#include <string>
#include <vector>

// Test helpers for the Windows build, with Windows paths throughout.
namespace wine_testing {

// A fresh folder under the system's temporary folder, or under base, removed with everything in
// it.
class TempFolder {
public:
    TempFolder();
    explicit TempFolder(const std::string& base);
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
void MakeFolders(const std::string& path);
void RemoveTree(const std::string& path);
std::vector<std::string> FolderEntries(const std::string& path);

// Lines of a CR LF text file, without their ends.
std::vector<std::string> CrLfLines(const std::string& path);
// What follows the timestamp and "~" of each log line.
std::vector<std::string> LogTexts(const std::string& path);

// Makes folder current, drive included, as starting a program there does.
void StartIn(const std::string& folder);

// The folder of the running test program; the stand-in programs are built beside it.
std::string OwnFolder();
std::string JavaStandIn();         // a program that ends at once, named java.exe
std::string ApplicationStandIn();  // records its current folder in "Velmora_KZ.started"

// Waits up to about ten seconds for a file to appear; its contents, or "" if it never did.
std::string WaitForFile(const std::string& path);

// The run-time error number an action raised, or 0.
int ErrorNumberOf(const std::function<void()>& action);

// Thrown by the end action the harness installs, so a test sees where the program ended.
struct ProgramEnded {};

struct ShownMessage {
    std::string title;
    std::string text;
};

// Records every message box and turns the end of the program into ProgramEnded; puts the
// current folder and PATH back when the test is over.
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

}  // namespace wine_testing
