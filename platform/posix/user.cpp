// What concerns the person at the machine: their name, their clock, and messages shown to them.

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <iomanip>
#include <iostream>
#include <locale>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/elevation.h"
#include "platform/platform.h"
#include "platform/posix/support.h"

namespace platform {

namespace {

std::locale UserLocale() {
    try {
        return std::locale("");
    } catch (const std::runtime_error&) {
        return std::locale::classic();
    }
}

}  // namespace

// Without a window system a message can only go to the terminal.
void SystemMessageBox(const std::string& text, const std::string& title) {
    std::cerr << title << ": " << text << '\n';
}

void WriteToConsole(Console stream, const std::string& line) {
    const std::string whole = line + "\n";
    [[maybe_unused]] const int ignored =
        detail::WriteAll(stream == Console::Output ? STDOUT_FILENO : STDERR_FILENO, whole);
}

System ThisSystem() {
    return System::Linux;
}

bool SystemQuestionBox(const std::string& text, const std::string& title) {
    std::cerr << title << ": " << text << "\n(No)\n";
    return false;
}

bool RunsAsRoot() {
    return ::geteuid() == 0;
}

std::string LogonUserName(std::size_t bufferSize) {
    detail::UserEntry entry;
    if (const int code = detail::EntryOfRunningUser(entry); code != 0) {
        throw SystemCallFailed{static_cast<std::uint32_t>(code)};
    }
    if (entry.name.size() + 1 > bufferSize) {
        throw SystemCallFailed{ERANGE};
    }
    return entry.name;
}

std::string LocalDateTimeText() {
    static const std::locale userLocale = UserLocale();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::ostringstream text;
    text.imbue(userLocale);
    text << std::put_time(&local, "%x %X");
    return text.str();
}

}  // namespace platform
