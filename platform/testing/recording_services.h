#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/services.h"
#include "platform/testing/faulty_file_system.h"

namespace platform::fakes {

struct ShownMessage {
    std::string title;
    std::string text;
};

struct StartedProgram {
    std::string name;
    std::string folder;         // the current folder it was started in
    std::string programFolder;  // where its file is, when it was started without a search
};

// Thrown where the program would have ended, so that a test sees it end and how.
struct ProgramEnded : EndOfProgram {
    ExitStatus status = ExitStatus::Success;
};

// Services that do for real only what a test can see afterwards on its own disk: the file
// services (with faults on demand) and the user's name. Everything else is recorded as it
// happens, so a test asks the record what was shown, started or ended, never a file that a
// started program may not have written yet.
class RecordingServices : public Services {
public:
    FaultyFileSystem& Files() override { return files_; }
    // Records the start; a program made missing fails as one that is nowhere to be found.
    std::int64_t StartProgramHidden(const std::string& name) override;
    // Records the start, in the current folder.
    std::int64_t StartInstalledProgram(const std::string& folder, const std::string& name) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    std::string LocalDateTimeText() override;
    std::string LogonUserName(std::size_t bufferSize) override;

    // As if no program of that name could be found.
    void MakeMissing(const std::string& name) { missing_.insert(name); }
    // The user's name fails with this system error code.
    void FailUserName(std::uint32_t code) { userNameFailure_ = code; }
    // Runs when a box is shown, while the program shows it.
    void OnMessage(std::function<void(const ShownMessage&)> watch) { watch_ = std::move(watch); }

    const std::vector<ShownMessage>& Messages() const { return messages_; }
    // Each box as "title|text", to compare them whole.
    std::vector<std::string> Shown() const;
    const std::vector<StartedProgram>& Started() const { return started_; }
    const std::optional<ExitStatus>& EndStatus() const { return endStatus_; }

protected:
    // Records the status and throws ProgramEnded.
    [[noreturn]] void End(ExitStatus status) override;

private:
    FaultyFileSystem files_;
    std::set<std::string> missing_;
    std::optional<std::uint32_t> userNameFailure_;
    std::function<void(const ShownMessage&)> watch_;
    std::vector<ShownMessage> messages_;
    std::vector<StartedProgram> started_;
    std::optional<ExitStatus> endStatus_;
};

}  // namespace platform::fakes
