#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/windows/windows_api.h"

// Setup.exe and the launcher copies driven from outside, as a user would, in the Wine prefix's
// own C: drive.
namespace wine_testing {

inline constexpr const char* kMedium = "C:\\Velmora_KZ medium";
inline constexpr const char* kApplicationFolder = "C:\\Velmora_KZ";
inline constexpr DWORD kTimeoutMs = 30000;

// Where the build lays out the medium.
std::string MediumSource();
std::string UserName();
// The user's profile in the 2000/XP layout.
std::string Profile();
std::string TextOf(HWND window);

// A program this test started; it is ended if the test leaves it running.
class Program {
public:
    // As a standard user: the administrators' group of the test's own token is left out. The
    // arguments follow the program's quoted path on its command line.
    Program(const std::string& path, const std::string& folder, bool standardUser = false,
            const std::string& arguments = "");
    // What the shell starts for a shortcut: a program with a top-level window of that class.
    Program(const std::string& shortcut, const char* windowClass);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();

    // The exit code, or STILL_ACTIVE if it is still running after the time given.
    DWORD WaitForEnd(DWORD milliseconds = kTimeoutMs) const;
    // A top-level window of this program with that class (any, if null) and caption.
    HWND FindTopWindow(const char* className, const std::string& caption) const;
    HWND WaitForWindow(const char* className, const std::string& caption) const;
    DWORD Id() const { return id_; }
    DWORD ThreadOf(HWND window) const { return ::GetWindowThreadProcessId(window, nullptr); }

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

HWND ControlOf(HWND form, std::string_view name);
bool WaitUntil(const std::function<bool()>& condition);
// Answers a message box with its OK button; its text, or a note if none was shown. The text and
// the button must be named for a screen reader as they are shown.
std::string AnswerMessageBox(const Program& program, const std::string& title);

// The control with the keyboard focus in a program's thread.
HWND Focused(DWORD thread);
// A key pressed and let go on control, through its program's message loop.
void PressKey(HWND control, WPARAM key);
// Characters typed into control.
void Type(HWND control, const std::string& text);

// A fresh medium, no trace of an earlier installation and the profile folders of the user.
class SetupProgram : public ::testing::Test {
protected:
    SetupProgram();
    ~SetupProgram() override;

    // What Setup.exe inherits: the system's search path, with or without a "java".
    void ProvideJava(bool provide) const;
    std::unique_ptr<Program> StartSetup(bool standardUser = false,
                                        const std::string& arguments = "") const;
    // Types destination into the window of a Setup.exe just started, presses "Begin Install"
    // and answers its last box; that box's text.
    static std::string InstallThroughTheWindow(const Program& setup,
                                               const std::string& destination);
    static std::string LogPath() { return std::string(kMedium) + "\\Install.log"; }

private:
    std::string savedPath_;
};

}  // namespace wine_testing
