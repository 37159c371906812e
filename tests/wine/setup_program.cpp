#include "tests/wine/setup_program.h"

#include <algorithm>
#include <stdexcept>

#include "setup/core/control_table.h"
#include "setup/win32/control_factory.h"
#include "setup/win32/setup_window.h"
#include "tests/wine/accessibility.h"
#include "tests/wine/wine_support.h"
// After <windows.h>, which it needs.
#include <shellapi.h>

using namespace testing_support;

namespace wine_testing {

namespace {

struct WindowSearch {
    DWORD process;
    const char* className;
    const std::string* caption;
    HWND found;
};

BOOL CALLBACK Matches(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof name);
    char caption[256] = {};
    ::GetWindowTextA(window, caption, sizeof caption);
    if (process == search->process && *search->caption == caption &&
        (search->className == nullptr || std::string(name) == search->className)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The test's own token without the administrators, as a standard user's is.
HANDLE StandardUserToken() {
    HANDLE own = nullptr;
    HANDLE restricted = nullptr;
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    ::AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
                               0, 0, 0, 0, 0, 0, &administrators);
    SID_AND_ATTRIBUTES disabled{administrators, 0};
    if (!::OpenProcessToken(::GetCurrentProcess(),
                            TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_QUERY, &own) ||
        !::CreateRestrictedToken(own, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted)) {
        restricted = nullptr;
    }
    ::FreeSid(administrators);
    if (own != nullptr) {
        ::CloseHandle(own);
    }
    return restricted;
}

}  // namespace

std::string MediumSource() {
    std::string relative = VELMORA_MEDIUM_FROM_TESTS;
    std::replace(relative.begin(), relative.end(), '/', '\\');
    return OwnFolder() + "\\" + relative;
}

std::string UserName() {
    wchar_t name[256] = {};
    DWORD size = 256;
    ::GetUserNameW(name, &size);
    return platform::Utf8(name);
}

std::string Profile() {
    return "C:\\Documents and Settings\\" + UserName();
}

std::string TextOf(HWND window) {
    wchar_t text[1024] = {};
    ::SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return platform::Utf8(text);
}

Program::Program(const std::string& path, const std::string& folder, bool standardUser,
                 const std::string& arguments) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine =
        platform::Wide("\"" + path + "\"" + (arguments.empty() ? "" : " " + arguments));
    PROCESS_INFORMATION process{};
    const HANDLE token = standardUser ? StandardUserToken() : nullptr;
    const bool started =
        standardUser
            ? token != nullptr &&
                  ::CreateProcessAsUserW(token, platform::Wide(path).c_str(), commandLine.data(),
                                         nullptr, nullptr, FALSE, 0, nullptr,
                                         platform::Wide(folder).c_str(), &startup, &process)
            : ::CreateProcessW(platform::Wide(path).c_str(), commandLine.data(), nullptr, nullptr,
                               FALSE, 0, nullptr, platform::Wide(folder).c_str(), &startup,
                               &process);
    if (token != nullptr) {
        ::CloseHandle(token);
    }
    if (!started) {
        throw std::runtime_error("cannot start " + path);
    }
    ::CloseHandle(process.hThread);
    process_ = process.hProcess;
    id_ = process.dwProcessId;
}

Program::Program(const std::string& shortcut, const char* windowClass) {
    const std::wstring file = platform::Wide(shortcut);
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    execute.lpFile = file.c_str();
    execute.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&execute)) {
        throw std::runtime_error("the shell cannot start " + shortcut);
    }
    process_ = execute.hProcess;
    // Wine starts what a shortcut names without handing back the process: it is found by its
    // window.
    for (DWORD waited = 0; process_ == nullptr && waited < kTimeoutMs; waited += 50) {
        if (const HWND window = ::FindWindowA(windowClass, nullptr); window != nullptr) {
            DWORD id = 0;
            ::GetWindowThreadProcessId(window, &id);
            process_ = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION,
                                     FALSE, id);
        } else {
            ::Sleep(50);
        }
    }
    if (process_ == nullptr) {
        throw std::runtime_error("nothing with a window of class " + std::string(windowClass) +
                                 " started from " + shortcut);
    }
    id_ = ::GetProcessId(process_);
}

Program::~Program() {
    if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_, 99);
    }
    ::CloseHandle(process_);
}

DWORD Program::WaitForEnd(DWORD milliseconds) const {
    ::WaitForSingleObject(process_, milliseconds);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process_, &code);
    return code;
}

HWND Program::FindTopWindow(const char* className, const std::string& caption) const {
    WindowSearch search{id_, className, &caption, nullptr};
    ::EnumWindows(&Matches, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Program::WaitForWindow(const char* className, const std::string& caption) const {
    for (DWORD waited = 0; waited < kTimeoutMs; waited += 50) {
        const HWND window = FindTopWindow(className, caption);
        if (window != nullptr && ::IsWindowVisible(window)) {
            return window;
        }
        if (::WaitForSingleObject(process_, 50) != WAIT_TIMEOUT) {
            return nullptr;
        }
    }
    return nullptr;
}

HWND ControlOf(HWND form, std::string_view name) {
    for (std::size_t row = 0; row < setup::kControls.size(); ++row) {
        if (setup::kControls[row].name == name) {
            return ::GetDlgItem(form, setup::ControlId(row));
        }
    }
    return nullptr;
}

bool WaitUntil(const std::function<bool()>& condition) {
    for (DWORD waited = 0; waited < kTimeoutMs; waited += 20) {
        if (condition()) {
            return true;
        }
        ::Sleep(20);
    }
    return false;
}

std::string AnswerMessageBox(const Program& program, const std::string& title) {
    const HWND box = program.WaitForWindow("#32770", title);
    if (box == nullptr) {
        return "<no message box titled " + title + ">";
    }
    const std::string text = TextOf(::GetDlgItem(box, 0xFFFF));
    EXPECT_EQ(AccessibleOf(::GetDlgItem(box, 0xFFFF)).name, text) << "the box's text, read out";
    EXPECT_EQ(AccessibleOf(::GetDlgItem(box, IDOK)).name, "OK");
    ::PostMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    return text;
}

HWND Focused(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(thread, &info);
    return info.hwndFocus;
}

void PressKey(HWND control, WPARAM key) {
    ::PostMessageA(control, WM_KEYDOWN, key, 1);
    ::PostMessageA(control, WM_KEYUP, key, 0xC0000001);
}

void Type(HWND control, const std::string& text) {
    for (const wchar_t character : platform::Wide(text)) {
        ::PostMessageW(control, WM_CHAR, character, 1);
    }
}

SetupProgram::SetupProgram() {
    RemoveTree(kMedium);
    RemoveTree(kApplicationFolder);
    RemoveTree(Profile());
    MakeFolders(Profile() + "\\Desktop");
    MakeFolders(Profile() + "\\Start Menu\\Programs");
    MakeFolders(kMedium);
    for (const auto& name : FolderEntries(MediumSource())) {
        ::CopyFileA((MediumSource() + "\\" + name).c_str(),
                    (std::string(kMedium) + "\\" + name).c_str(), FALSE);
    }
    char path[4096] = {};
    ::GetEnvironmentVariableA("PATH", path, sizeof path);
    savedPath_ = path;
    ProvideJava(true);
}

SetupProgram::~SetupProgram() {
    ::SetEnvironmentVariableA("PATH", savedPath_.c_str());
}

void SetupProgram::ProvideJava(bool provide) const {
    const std::string javaFolder = JavaStandIn().substr(0, JavaStandIn().rfind('\\'));
    const std::string path = provide ? javaFolder + ";" + savedPath_ : savedPath_;
    ::SetEnvironmentVariableA("PATH", path.c_str());
}

std::unique_ptr<Program> SetupProgram::StartSetup(bool standardUser,
                                                  const std::string& arguments) const {
    return std::make_unique<Program>(std::string(kMedium) + "\\Setup.exe", kMedium, standardUser,
                                     arguments);
}

std::string SetupProgram::InstallThroughTheWindow(const Program& setup,
                                                  const std::string& destination) {
    const HWND form = setup.WaitForWindow(setup::kWindowClassName, "Velmora_KZ 2.0.1 Setup");
    if (form == nullptr) {
        return "<no installer window>";
    }
    const std::wstring text = platform::Wide(destination);
    ::SendMessageW(ControlOf(form, "Text1"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ::PostMessageA(ControlOf(form, "Command1"), BM_CLICK, 0, 0);
    const std::string finished = AnswerMessageBox(setup, "Finished");
    return finished.starts_with("<no") ? AnswerMessageBox(setup, "Velmora_KZ 2.0.1 Setup")
                                       : finished;
}

}  // namespace wine_testing
