#include "platform/system_services.h"

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "platform/processes.h"

namespace platform {

std::int64_t SystemServices::StartProgramHidden(const std::string& name) {
    return platform::StartProgramHidden(name);
}

std::int64_t SystemServices::StartInstalledProgram(const std::string& folder,
                                                   const std::string& name) {
    return platform::StartInstalledProgram(folder, name);
}

void SystemServices::ShowMessage(const std::string& text, const std::string& title) {
    SystemMessageBox(text, title);
}

Answer SystemServices::AskYesNo(const std::string& text, const std::string& title) {
    return SystemQuestionBox(text, title) ? Answer::Yes : Answer::No;
}

int SystemServices::RunProgramAndWait(const std::string& name,
                                      const std::vector<std::string>& arguments) {
    return platform::RunProgramAndWait(name, arguments);
}

std::optional<std::string> SystemServices::ProgramRunningFrom(const std::string& folder) {
    return platform::ProgramRunningFrom(folder);
}

void SystemServices::WriteToConsole(Console stream, const std::string& line) {
    platform::WriteToConsole(stream, line);
}

void SystemServices::WriteUninstallEntry(Scope scope, const UninstallEntry& entry) {
    platform::WriteUninstallEntry(scope, entry);
}

std::optional<UninstallEntry> SystemServices::ReadUninstallEntry(Scope scope) {
    return platform::ReadUninstallEntry(scope);
}

void SystemServices::RemoveUninstallEntry(Scope scope) {
    platform::RemoveUninstallEntry(scope);
}

void SystemServices::End(ExitStatus status) {
    const bool zero = status == ExitStatus::Success || status == ExitStatus::Cancelled;
    const int code = exitCodes_ ? exitCodes_(status) : zero ? 0 : 1;
    std::fflush(nullptr);
    std::_Exit(code);
}

std::string SystemServices::LocalDateTimeText() {
    return platform::LocalDateTimeText();
}

std::string SystemServices::LogonUserName(std::size_t bufferSize) {
    return platform::LogonUserName(bufferSize);
}

}  // namespace platform
