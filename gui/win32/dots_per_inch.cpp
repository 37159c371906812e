#include "gui/win32/dots_per_inch.h"

#include <string>

#include "platform/window_units.h"

namespace gui::win32 {

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using EnableNonClientDpiScalingFunction = BOOL(WINAPI*)(HWND);
// MONITOR_DPI_TYPE is an enum; its effective resolution is 0.
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
    return module != nullptr
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
               : nullptr;
}

template <typename Function>
Function User32(const char* name) {
    return Lookup<Function>(::GetModuleHandleW(L"user32.dll"), name);
}

// By its full path in the system folder: a library of that name beside a launcher copy, on a
// desktop, is never loaded.
HMODULE ShellScaling() {
    static const HMODULE module = [] {
        wchar_t folder[MAX_PATH] = {};
        const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            return HMODULE{};
        }
        return ::LoadLibraryW((std::wstring(folder) + L"\\shcore.dll").c_str());
    }();
    return module;
}

int MonitorDotsPerInch(HWND window) {
    static const auto getDpiForMonitor =
        Lookup<GetDpiForMonitorFunction>(ShellScaling(), "GetDpiForMonitor");
    if (getDpiForMonitor == nullptr) {
        return 0;
    }
    UINT x = 0;
    UINT y = 0;
    const HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    return SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) ? static_cast<int>(y) : 0;
}

}  // namespace

int SystemDotsPerInch() {
    const HDC screen = ::GetDC(nullptr);
    const int dotsPerInch = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) {
        ::ReleaseDC(nullptr, screen);
    }
    return dotsPerInch > 0 ? dotsPerInch : kLayoutDotsPerInch;
}

int DotsPerInchOf(HWND window) {
    static const auto getDpiForWindow = User32<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpiForWindow != nullptr) {
        if (const UINT dotsPerInch = getDpiForWindow(window); dotsPerInch != 0) {
            return static_cast<int>(dotsPerInch);
        }
    }
    const int monitor = MonitorDotsPerInch(window);
    return monitor > 0 ? monitor : SystemDotsPerInch();
}

int Scaled(int pixels, int dotsPerInch) {
    return ::MulDiv(pixels, dotsPerInch, kLayoutDotsPerInch);
}

SIZE WindowSizeForClient(DWORD style, DWORD extendedStyle, SIZE client, int dotsPerInch) {
    static const auto adjustForDpi =
        User32<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
    RECT frame{0, 0, client.cx, client.cy};
    if (adjustForDpi == nullptr ||
        !adjustForDpi(&frame, style, FALSE, extendedStyle, static_cast<UINT>(dotsPerInch))) {
        frame = RECT{0, 0, client.cx, client.cy};
        ::AdjustWindowRectEx(&frame, style, FALSE, extendedStyle);
    }
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

void ScaleNonClientArea(HWND window) {
    static const auto enable =
        User32<EnableNonClientDpiScalingFunction>("EnableNonClientDpiScaling");
    if (enable != nullptr) {
        enable(window);
    }
}

namespace {

SIZE OuterSize(HWND window, ClientTwips client, int dotsPerInch) {
    const auto style = static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE));
    const auto extendedStyle = static_cast<DWORD>(::GetWindowLongW(window, GWL_EXSTYLE));
    return WindowSizeForClient(style, extendedStyle,
                               SIZE{platform::PixelsAt(client.width, dotsPerInch),
                                    platform::PixelsAt(client.height, dotsPerInch)},
                               dotsPerInch);
}

bool KeepsItsOwnSize(HWND window) {
    return ::IsZoomed(window) || ::IsIconic(window);
}

}  // namespace

bool AnswerScaledSize(HWND window, ClientTwips client, WPARAM wParam, LPARAM lParam) {
    if (KeepsItsOwnSize(window)) {
        return false;
    }
    *reinterpret_cast<SIZE*>(lParam) = OuterSize(window, client, static_cast<int>(wParam));
    return true;
}

int FollowNewDotsPerInch(HWND window, ClientTwips client, WPARAM wParam, LPARAM lParam) {
    const int dotsPerInch = HIWORD(wParam);
    const RECT proposed = *reinterpret_cast<const RECT*>(lParam);
    SIZE size{proposed.right - proposed.left, proposed.bottom - proposed.top};
    if (!KeepsItsOwnSize(window)) {
        size = OuterSize(window, client, dotsPerInch);
    }
    ::SetWindowPos(window, nullptr, proposed.left, proposed.top, size.cx, size.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    return dotsPerInch;
}

}  // namespace gui::win32
