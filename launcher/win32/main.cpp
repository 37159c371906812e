#include <exception>
#include <stdexcept>

#include "launcher/core/launcher_form.h"
#include "platform/layout.h"
#include "platform/runtime_error.h"
#include "platform/win32/gui.h"

namespace launcher {

namespace {

constexpr const char* kClassName = "Velmora_KZ Launcher Form1";
constexpr const char* kCaption = "Form1";
constexpr int kTwipsPerPixel = 15;
constexpr int kClientWidth = 4680 / kTwipsPerPixel;
constexpr int kClientHeight = 3090 / kTwipsPerPixel;
// A fixed single border: the window is moved and minimized, never resized.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateBareWindow() {
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA form{};
    form.cbSize = sizeof form;
    form.lpfnWndProc = WindowProcedure;
    form.hInstance = instance;
    form.hIcon = platform::win32::ProgramIcon(::GetSystemMetrics(SM_CXICON));
    form.hIconSm = platform::win32::ProgramIcon(::GetSystemMetrics(SM_CXSMICON));
    form.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    form.lpszClassName = kClassName;
    ::RegisterClassExA(&form);

    const SIZE size = platform::win32::WindowSizeForClient(kStyle, 0, kClientWidth, kClientHeight);
    const HWND window =
        ::CreateWindowExA(0, kClassName, kCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, size.cx,
                          size.cy, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        throw std::runtime_error("cannot create the launcher window");
    }
    return window;
}

}  // namespace

}  // namespace launcher

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int showCommand) {
    try {
        const HWND window = launcher::CreateBareWindow();
        launcher::Form1 form(platform::NativeLayout());
        platform::win32::RunWindowHandler([&form] { form.Form_Load(); });
        ::ShowWindow(window, showCommand);
        ::UpdateWindow(window);
        return platform::win32::RunMessageLoop(nullptr);
    } catch (const std::exception& failure) {
        platform::ReportUnhandled(
            platform::RuntimeError(platform::win32::kInternalError, failure.what()));
    }
}
