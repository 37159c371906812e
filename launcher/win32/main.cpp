#include <memory>
#include <stdexcept>
#include <string>

#include "gui/win32/dots_per_inch.h"
#include "gui/win32/gui.h"
#include "gui/win32/program_entry.h"
#include "gui/win32/window_class.h"
#include "launcher/core/launcher_form.h"
#include "platform/layout.h"
#include "platform/runtime_error.h"
#include "platform/system_services.h"
#include "platform/window_units.h"

namespace launcher {

namespace {

constexpr const char* kClassName = "Velmora_KZ Launcher Form1";
// A fixed single border: the window is moved and minimized, never resized.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr gui::win32::ClientTwips kClient{kClientWidth, kClientHeight};

// Its laid-out size at the resolution of the monitor it is on, also after a move to another.
LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE:
            gui::win32::ScaleNonClientArea(window);
            break;
        case WM_GETDPISCALEDSIZE:
            return gui::win32::AnswerScaledSize(window, kClient, wParam, lParam) ? TRUE : FALSE;
        case WM_DPICHANGED:
            gui::win32::FollowNewDotsPerInch(window, kClient, wParam, lParam);
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

SIZE SizeAt(int dotsPerInch) {
    return gui::win32::WindowSizeForClient(kStyle, 0,
                                           SIZE{platform::PixelsAt(kClientWidth, dotsPerInch),
                                                platform::PixelsAt(kClientHeight, dotsPerInch)},
                                           dotsPerInch);
}

// The launcher's bare window, made once the load work is done.
class BareWindow final : public gui::win32::ProgramWindow {
public:
    BareWindow() : window_(Create()) {}

    void LoadAndShow(int showCommand) override {
        ::ShowWindow(window_, showCommand);
        ::UpdateWindow(window_);
    }

    HWND KeyboardWindow() const override { return nullptr; }

private:
    static HWND Create() {
        gui::win32::RegisterWindowClass(
            {kClassName, &WindowProcedure, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)});
        const int systemDotsPerInch = gui::win32::SystemDotsPerInch();
        const SIZE size = SizeAt(systemDotsPerInch);
        const HWND window = ::CreateWindowExW(
            0, platform::Wide(kClassName).c_str(), platform::Wide(kWindowCaption).c_str(), kStyle,
            CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, nullptr, nullptr,
            ::GetModuleHandleW(nullptr), nullptr);
        if (window == nullptr) {
            throw std::runtime_error("cannot create the launcher window");
        }
        if (const int own = gui::win32::DotsPerInchOf(window); own != systemDotsPerInch) {
            const SIZE ownSize = SizeAt(own);
            ::SetWindowPos(window, nullptr, 0, 0, ownSize.cx, ownSize.cy,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return window;
    }

    HWND window_;
};

}  // namespace

}  // namespace launcher

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int showCommand) {
    // The application starts before the launcher registers or makes any window.
    platform::SystemServices services;
    platform::RunHandler(
        services, [&services] { launcher::Form1(services, platform::NativeLayout()).Form_Load(); });
    return gui::win32::RunProgram(
        services, showCommand,
        [](platform::Services& /*services*/, const platform::Layout& /*layout*/) {
            return std::make_unique<launcher::BareWindow>();
        });
}
