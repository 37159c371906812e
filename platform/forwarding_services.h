#pragma once

#include "platform/services.h"

namespace platform {

// Services that hand every call to other services: a layer over them derives from this and
// overrides only what it changes, so that no service can be forgotten in a layer.
class ForwardingServices : public Services {
public:
    explicit ForwardingServices(Services& inner) : inner_(inner) {}

    FileSystem& Files() override { return inner_.Files(); }
    std::int64_t StartProgramHidden(const std::string& name) override {
        return inner_.StartProgramHidden(name);
    }
    std::int64_t StartInstalledProgram(const std::string& folder,
                                       const std::string& name) override {
        return inner_.StartInstalledProgram(folder, name);
    }
    void ShowMessage(const std::string& text, const std::string& title) override {
        inner_.ShowMessage(text, title);
    }
    Answer AskYesNo(const std::string& text, const std::string& title) override {
        return inner_.AskYesNo(text, title);
    }
    int RunProgramAndWait(const std::string& name,
                          const std::vector<std::string>& arguments) override {
        return inner_.RunProgramAndWait(name, arguments);
    }
    std::optional<std::string> ProgramRunningFrom(const std::string& folder) override {
        return inner_.ProgramRunningFrom(folder);
    }
    void WriteToConsole(Console stream, const std::string& line) override {
        inner_.WriteToConsole(stream, line);
    }
    void WriteUninstallEntry(Scope scope, const UninstallEntry& entry) override {
        inner_.WriteUninstallEntry(scope, entry);
    }
    std::optional<UninstallEntry> ReadUninstallEntry(Scope scope) override {
        return inner_.ReadUninstallEntry(scope);
    }
    void RemoveUninstallEntry(Scope scope) override { inner_.RemoveUninstallEntry(scope); }
    std::string LocalDateTimeText() override { return inner_.LocalDateTimeText(); }
    std::string LogonUserName(std::size_t bufferSize) override {
        return inner_.LogonUserName(bufferSize);
    }

protected:
    [[noreturn]] void End(ExitStatus status) override { inner_.EndProgram(status); }

    Services& Inner() { return inner_; }

private:
    Services& inner_;
};

}  // namespace platform
