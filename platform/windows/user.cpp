// What concerns the person at the machine: their name, their clock, and messages shown to them.

#include <string>

#include "platform/platform.h"
#include "platform/windows/windows_api.h"

namespace platform {

void SystemMessageBox(const std::string& text, const std::string& title) {
    const HWND owner = ::GetActiveWindow();
    const UINT modality = owner != nullptr ? MB_APPLMODAL : MB_TASKMODAL | MB_SETFOREGROUND;
    ::MessageBoxW(owner, Wide(text).c_str(), Wide(title).c_str(), MB_OK | modality);
}

namespace {

// A program with a window is given no console: output redirected by whoever started it, else the
// console of the program it was started from, if any.
HANDLE ConsoleHandle(Console stream) {
    const HANDLE given =
        ::GetStdHandle(stream == Console::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (given != nullptr && given != INVALID_HANDLE_VALUE) {
        return given;
    }
    static const HANDLE parents = [] {
        if (!::AttachConsole(ATTACH_PARENT_PROCESS)) {
            return INVALID_HANDLE_VALUE;
        }
        return ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    }();
    return parents;
}

}  // namespace

void WriteToConsole(Console stream, const std::string& line) {
    const HANDLE handle = ConsoleHandle(stream);
    if (handle == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(handle, &mode)) {
        const std::wstring text = Wide(line + "\r\n");
        ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string text = line + "\r\n";
    ::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

System ThisSystem() {
    return System::Windows;
}

bool SystemQuestionBox(const std::string& text, const std::string& title) {
    const HWND owner = ::GetActiveWindow();
    const UINT modality = owner != nullptr ? MB_APPLMODAL : MB_TASKMODAL | MB_SETFOREGROUND;
    return ::MessageBoxW(owner, Wide(text).c_str(), Wide(title).c_str(),
                         MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION | modality) == IDYES;
}

std::string LogonUserName(std::size_t bufferSize) {
    std::wstring buffer(bufferSize, L' ');
    auto size = static_cast<DWORD>(bufferSize);
    if (!::GetUserNameW(buffer.data(), &size)) {
        throw SystemCallFailed{::GetLastError()};
    }
    return Utf8(buffer.substr(0, buffer.find(L'\0')));
}

std::string LocalDateTimeText() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    wchar_t date[128] = {};
    wchar_t time[128] = {};
    if (::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 128) == 0 ||
        ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 128) == 0) {
        RaiseForSystemError(static_cast<int>(::GetLastError()));
    }
    return Utf8(date) + " " + Utf8(time);
}

}  // namespace platform
