#pragma once

#include "platform/windows/windows_api.h"

// The frame around a group of controls: a box in its background colour with an etched border and
// its caption in the caption colour, painted whole by itself. It takes no input; what lies on it
// gets the mouse.
namespace gui::win32 {

inline constexpr const char* kFrameClassName = "Velmora_KZ Frame";

void RegisterFrameClass();
// Until set, the frame takes the system's window and text colours.
void SetFrameColours(HWND frame, COLORREF background, COLORREF caption);
// The resolution its caption is indented for; until set, 96 dots per inch.
void SetFrameDotsPerInch(HWND frame, int dotsPerInch);

}  // namespace gui::win32
