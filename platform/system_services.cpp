#include "platform/system_services.h"

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

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

void SystemServices::End(ExitStatus status) {
    std::fflush(nullptr);
    std::_Exit(static_cast<int>(status));
}

std::string SystemServices::LocalDateTimeText() {
    return platform::LocalDateTimeText();
}

std::string SystemServices::LogonUserName(std::size_t bufferSize) {
    return platform::LogonUserName(bufferSize);
}

}  // namespace platform
