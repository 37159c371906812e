#pragma once

#include "platform/services.h"

namespace platform {

// The operating system's services, as the programs use them. Linked into the programs only: a
// test that reached them could end its own process.
class SystemServices : public Services {
public:
    FileSystem& Files() override { return files_; }
    std::int64_t StartProgramHidden(const std::string& name) override;
    std::int64_t StartInstalledProgram(const std::string& folder, const std::string& name) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    Answer AskYesNo(const std::string& text, const std::string& title) override;
    int RunProgramAndWait(const std::string& name,
                          const std::vector<std::string>& arguments) override;
    std::optional<std::string> ProgramRunningFrom(const std::string& folder) override;
    void WriteUninstallEntry(Scope scope, const UninstallEntry& entry) override;
    std::optional<UninstallEntry> ReadUninstallEntry(Scope scope) override;
    void RemoveUninstallEntry(Scope scope) override;
    std::string LocalDateTimeText() override;
    std::string LogonUserName(std::size_t bufferSize) override;

protected:
    [[noreturn]] void End(ExitStatus status) override;

private:
    SystemFileSystem files_;
};

}  // namespace platform
