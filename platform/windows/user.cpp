// What concerns the person at the machine: their name, their clock, and messages shown to them.

#include <string>

#include "platform/platform.h"
#include "platform/windows/windows_api.h"

namespace platform {

void SystemMessageBox(const std::string& text, const std::string& title) {
    const HWND owner = ::GetActiveWindow();
    const UINT modality = owner != nullptr ? MB_APPLMODAL : MB_TASKMODAL | MB_SETFOREGROUND;
    ::MessageBoxA(owner, text.c_str(), title.c_str(), MB_OK | modality);
}

bool SystemQuestionBox(const std::string& text, const std::string& title) {
    const HWND owner = ::GetActiveWindow();
    const UINT modality = owner != nullptr ? MB_APPLMODAL : MB_TASKMODAL | MB_SETFOREGROUND;
    return ::MessageBoxA(owner, text.c_str(), title.c_str(),
                         MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION | modality) == IDYES;
}

std::string LogonUserName(std::size_t bufferSize) {
    std::string buffer(bufferSize, ' ');
    auto size = static_cast<DWORD>(bufferSize);
    if (!::GetUserNameA(buffer.data(), &size)) {
        throw SystemCallFailed{::GetLastError()};
    }
    return buffer.substr(0, buffer.find('\0'));
}

std::string LocalDateTimeText() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char date[128] = {};
    char time[128] = {};
    if (::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, sizeof date) ==
            0 ||
        ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, sizeof time) == 0) {
        RaiseForSystemError(static_cast<int>(::GetLastError()));
    }
    return std::string(date) + " " + time;
}

}  // namespace platform
