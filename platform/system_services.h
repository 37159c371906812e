#pragma once

#include <functional>
#include <utility>

#include "platform/services.h"

namespace platform {

// The operating system's services, as the programs use them. Linked into the programs only: a
// test that reached them could end its own process.
class SystemServices : public Services {
public:
    // The number each status ends the process with; without this, 0 for Success and Cancelled
    // and 1 for any other, as the programs have always ended.
    void SetExitCodes(std::function<int(ExitStatus)> codes) { exitCodes_ = std::move(codes); }

    FileSystem& Files() override { return files_; }
    std::int64_t StartProgramHidden(const std::string& name) override;
    std::int64_t StartInstalledProgram(const std::string& folder, const std::string& name) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    Answer AskYesNo(const std::string& text, const std::string& title) override;
    int RunProgramAndWait(const std::string& name,
                          const std::vector<std::string>& arguments) override;
    std::optional<std::string> ProgramRunningFrom(const std::string& folder) override;
    void WriteToConsole(Console stream, const std::string& line) override;
    void WriteUninstallEntry(Scope scope, const UninstallEntry& entry) override;
    std::optional<UninstallEntry> ReadUninstallEntry(Scope scope) override;
    void RemoveUninstallEntry(Scope scope) override;
    std::string LocalDateTimeText() override;
    std::string LogonUserName(std::size_t bufferSize) override;

protected:
    [[noreturn]] void End(ExitStatus status) override;

private:
    SystemFileSystem files_;
    std::function<int(ExitStatus)> exitCodes_;
};

}  // namespace platform
