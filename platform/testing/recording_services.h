#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
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

struct RanProgram {
    std::string name;
    std::vector<std::string> arguments;

    bool operator==(const RanProgram&) const = default;
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
    // Records the question as a box "title|text" and answers as the test said (No unless told).
    Answer AskYesNo(const std::string& text, const std::string& title) override;
    // Records the run; a program made missing fails as one that is nowhere to be found.
    int RunProgramAndWait(const std::string& name,
                          const std::vector<std::string>& arguments) override;
    // The first program the test said runs inside folder (by its path).
    std::optional<std::string> ProgramRunningFrom(const std::string& folder) override;
    // Records the line, on which of the two it went.
    void WriteToConsole(Console stream, const std::string& line) override;
    // Kept in a registry of the test's own.
    void WriteUninstallEntry(Scope scope, const UninstallEntry& entry) override;
    std::optional<UninstallEntry> ReadUninstallEntry(Scope scope) override;
    void RemoveUninstallEntry(Scope scope) override;
    std::string LocalDateTimeText() override;
    std::string LogonUserName(std::size_t bufferSize) override;

    // As if no program of that name could be found.
    void MakeMissing(const std::string& name) { missing_.insert(name); }
    // The user's name fails with this system error code.
    void FailUserName(std::uint32_t code) { userNameFailure_ = code; }
    // Runs when a box is shown, while the program shows it.
    void OnMessage(std::function<void(const ShownMessage&)> watch) { watch_ = std::move(watch); }
    void AnswerQuestions(Answer answer) { answer_ = answer; }
    // As if the program at path were running.
    void SetRunning(const std::string& program) { running_.push_back(program); }
    void ClearRunning() { running_.clear(); }

    const std::vector<ShownMessage>& Messages() const { return messages_; }
    // Each box as "title|text", to compare them whole.
    std::vector<std::string> Shown() const;
    const std::vector<StartedProgram>& Started() const { return started_; }
    const std::vector<ShownMessage>& Questions() const { return questions_; }
    const std::vector<RanProgram>& Ran() const { return ran_; }
    // The lines written to the standard output or error, in order.
    std::vector<std::string> ConsoleLines(Console stream) const;
    const std::map<Scope, UninstallEntry>& UninstallEntries() const { return entries_; }
    const std::optional<ExitStatus>& EndStatus() const { return endStatus_; }

protected:
    // Records the status and throws ProgramEnded.
    [[noreturn]] void End(ExitStatus status) override;

private:
    SystemFileSystem system_;
    FaultyFileSystem files_{system_};
    std::set<std::string> missing_;
    std::optional<std::uint32_t> userNameFailure_;
    std::function<void(const ShownMessage&)> watch_;
    std::vector<ShownMessage> messages_;
    std::vector<StartedProgram> started_;
    std::optional<ExitStatus> endStatus_;
    Answer answer_ = Answer::No;
    std::vector<ShownMessage> questions_;
    std::vector<std::string> running_;
    std::vector<RanProgram> ran_;
    std::vector<std::pair<Console, std::string>> console_;
    std::map<Scope, UninstallEntry> entries_;
};

}  // namespace platform::fakes
