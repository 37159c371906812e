#include "platform/testing/recording_services.h"

#include <cerrno>

#include "platform/platform.h"

namespace platform::fakes {

namespace {

constexpr std::int64_t kFirstProcessId = 4000;

}  // namespace

std::int64_t RecordingServices::StartProgramHidden(const std::string& name) {
    if (missing_.contains(name)) {
        throw RuntimeError(error::kFileNotFound, name, ENOENT);
    }
    started_.push_back({name, platform::CurrentFolder(), {}});
    return kFirstProcessId + static_cast<std::int64_t>(started_.size());
}

std::int64_t RecordingServices::StartInstalledProgram(const std::string& folder,
                                                      const std::string& name) {
    const std::int64_t processId = StartProgramHidden(name);
    started_.back().programFolder = folder;
    return processId;
}

void RecordingServices::ShowMessage(const std::string& text, const std::string& title) {
    messages_.push_back({title, text});
    if (watch_) {
        watch_(messages_.back());
    }
}

Answer RecordingServices::AskYesNo(const std::string& text, const std::string& title) {
    questions_.push_back({title, text});
    return answer_;
}

int RecordingServices::RunProgramAndWait(const std::string& name,
                                         const std::vector<std::string>& arguments) {
    if (missing_.contains(name)) {
        throw RuntimeError(error::kFileNotFound, name, ENOENT);
    }
    ran_.push_back({name, arguments});
    return 0;
}

std::optional<std::string> RecordingServices::ProgramRunningFrom(const std::string& folder) {
    for (const auto& program : running_) {
        if (program.starts_with(folder) && program.size() > folder.size() &&
            IsPathSeparator(program[folder.size()])) {
            return program;
        }
    }
    return std::nullopt;
}

void RecordingServices::WriteToConsole(Console stream, const std::string& line) {
    console_.emplace_back(stream, line);
}

std::vector<std::string> RecordingServices::ConsoleLines(Console stream) const {
    std::vector<std::string> lines;
    for (const auto& [where, line] : console_) {
        if (where == stream) {
            lines.push_back(line);
        }
    }
    return lines;
}

void RecordingServices::WriteUninstallEntry(Scope scope, const UninstallEntry& entry) {
    entries_[scope] = entry;
}

std::optional<UninstallEntry> RecordingServices::ReadUninstallEntry(Scope scope) {
    const auto found = entries_.find(scope);
    return found != entries_.end() ? std::optional(found->second) : std::nullopt;
}

void RecordingServices::RemoveUninstallEntry(Scope scope) {
    entries_.erase(scope);
}

void RecordingServices::End(ExitStatus status) {
    endStatus_ = status;
    ProgramEnded ended{{}, status};
    throw ended;
}

std::string RecordingServices::LocalDateTimeText() {
    return platform::LocalDateTimeText();
}

std::string RecordingServices::LogonUserName(std::size_t bufferSize) {
    if (userNameFailure_) {
        throw SystemCallFailed{*userNameFailure_};
    }
    return platform::LogonUserName(bufferSize);
}

std::vector<std::string> RecordingServices::Shown() const {
    std::vector<std::string> shown;
    shown.reserve(messages_.size());
    for (const auto& message : messages_) {
        shown.push_back(message.title + "|" + message.text);
    }
    return shown;
}

}  // namespace platform::fakes
