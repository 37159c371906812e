#include "gui/win32/frame.h"

#include <string>

#include "gui/win32/dots_per_inch.h"
#include "gui/win32/gui.h"
#include "gui/win32/window_class.h"

namespace gui::win32 {

namespace {

// What each frame keeps in its window's extra bytes.
enum Slot { kFont, kBackground, kCaption, kDotsPerInch, kSlots };

constexpr int kCaptionIndent = 8;  // pixels at 96 dots per inch

LONG_PTR Get(HWND frame, Slot slot) {
    return ::GetWindowLongPtrW(frame, static_cast<int>(slot * sizeof(LONG_PTR)));
}

void Set(HWND frame, Slot slot, LONG_PTR value) {
    ::SetWindowLongPtrW(frame, static_cast<int>(slot * sizeof(LONG_PTR)), value);
}

std::wstring CaptionOf(HWND frame) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(frame)) + 1, L'\0');
    const int length = ::GetWindowTextW(frame, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

void Paint(HWND frame) {
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(frame, &paint);
    RECT client{};
    ::GetClientRect(frame, &client);
    const auto background = static_cast<COLORREF>(Get(frame, kBackground));
    {
        const GdiObject<HBRUSH> brush(::CreateSolidBrush(background));
        ::FillRect(dc, &client, brush.get());
    }

    const HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HFONT>(Get(frame, kFont)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    RECT border = client;
    border.top += metrics.tmHeight / 2;
    ::DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);

    const std::wstring caption = CaptionOf(frame);
    ::SetBkMode(dc, OPAQUE);
    ::SetBkColor(dc, background);
    ::SetTextColor(dc, static_cast<COLORREF>(Get(frame, kCaption)));
    ::TextOutW(dc, Scaled(kCaptionIndent, static_cast<int>(Get(frame, kDotsPerInch))), 0,
               caption.c_str(), static_cast<int>(caption.size()));
    ::SelectObject(dc, previous);
    ::EndPaint(frame, &paint);
}

LRESULT CALLBACK FrameProcedure(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            SetFrameColours(frame, ::GetSysColor(COLOR_WINDOW), ::GetSysColor(COLOR_WINDOWTEXT));
            SetFrameDotsPerInch(frame, kLayoutDotsPerInch);
            return 0;
        case WM_SETFONT:
            Set(frame, kFont, static_cast<LONG_PTR>(wParam));
            if (LOWORD(lParam) != 0) {
                ::InvalidateRect(frame, nullptr, TRUE);
            }
            return 0;
        case WM_GETFONT:
            return Get(frame, kFont);
        case WM_ERASEBKGND:
            return 1;
        case WM_NCHITTEST:
            return HTTRANSPARENT;
        case WM_PAINT:
            Paint(frame);
            return 0;
        default:
            return ::DefWindowProcW(frame, message, wParam, lParam);
    }
}

}  // namespace

void RegisterFrameClass() {
    RegisterWindowClass(
        {kFrameClassName, &FrameProcedure, nullptr, static_cast<int>(kSlots * sizeof(LONG_PTR))});
}

void SetFrameColours(HWND frame, COLORREF background, COLORREF caption) {
    Set(frame, kBackground, static_cast<LONG_PTR>(background));
    Set(frame, kCaption, static_cast<LONG_PTR>(caption));
    ::InvalidateRect(frame, nullptr, TRUE);
}

void SetFrameDotsPerInch(HWND frame, int dotsPerInch) {
    Set(frame, kDotsPerInch, dotsPerInch);
    ::InvalidateRect(frame, nullptr, TRUE);
}

}  // namespace gui::win32
