#pragma once

#include "platform/windows/windows_api.h"

// The screen resolution a window is drawn at, and its outer size there. Windows 10 gives each
// window its monitor's, 8.1 each monitor's, earlier versions one for the whole system. Every
// function newer than Windows XP is looked up when first needed, so that the programs still
// start there.
// The messages of a move to a monitor of another scale, which the headers of Windows XP, the
// oldest the programs start on, do not name; older systems never send them.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

namespace gui::win32 {

// The resolution the layout's pixels are given at.
inline constexpr int kLayoutDotsPerInch = 96;

int SystemDotsPerInch();
int DotsPerInchOf(HWND window);

// A length of pixels at 96 dots per inch, at dotsPerInch, rounded to the nearest pixel.
int Scaled(int pixels, int dotsPerInch);

// The outer size of a window with the given styles whose client area is width x height pixels,
// with the title bar and borders of that resolution.
SIZE WindowSizeForClient(DWORD style, DWORD extendedStyle, SIZE client, int dotsPerInch);

// For WM_NCCREATE: the title bar and borders follow the monitor's scale also where Windows 10
// knows only the first per-monitor form of awareness (1607), not the second.
void ScaleNonClientArea(HWND window);

// A window's client area in twips, kept at every resolution.
struct ClientTwips {
    int width;
    int height;
};

// Answers WM_GETDPISCALEDSIZE: the size at the new resolution, so that the place the system
// proposes with WM_DPICHANGED already fits it. False where the system's own scaling is right
// (a maximized or minimized window).
bool AnswerScaledSize(HWND window, ClientTwips client, WPARAM wParam, LPARAM lParam);

// Follows WM_DPICHANGED: the window moves to the place the system proposes, its client area at
// its laid-out size there. Returns the new resolution.
int FollowNewDotsPerInch(HWND window, ClientTwips client, WPARAM wParam, LPARAM lParam);

}  // namespace gui::win32
