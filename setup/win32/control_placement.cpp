#include "setup/win32/control_placement.h"

#include <string>

#include "gui/win32/dots_per_inch.h"
#include "gui/win32/frame.h"

namespace setup {

namespace {

// The open drive list's extra height, in pixels at 96 dots per inch.
constexpr int kDriveListDropHeight = 160;

using platform::PixelsAt;

// Edges rather than sizes are rounded, so that controls that meet in twips meet on the screen.
RECT PlaceOf(const ControlSpec& entry, int dotsPerInch) {
    int left = entry.left;
    int top = entry.top;
    if (entry.parent == Parent::Frame1) {
        const ControlSpec& frame = kControls[RowNamed("Frame1")];
        left += frame.left;
        top += frame.top;
    }
    return RECT{PixelsAt(left, dotsPerInch), PixelsAt(top, dotsPerInch),
                PixelsAt(left + entry.width, dotsPerInch),
                PixelsAt(top + entry.height, dotsPerInch)};
}

// The closed list keeps the laid-out height: its field, plus the border the system draws around
// it.
void FitClosedDriveList(HWND control, int height) {
    ::SendMessageW(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
    RECT closed{};
    ::GetWindowRect(control, &closed);
    const int border = static_cast<int>(closed.bottom - closed.top) - height;
    ::SendMessageW(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height - border);
}

}  // namespace

ControlPlacement::ControlPlacement(int dotsPerInch)
    : dotsPerInch_(dotsPerInch), fonts_(dotsPerInch) {}

SIZE ControlPlacement::ClientSize() const {
    return SIZE{PixelsAt(kClientWidth, dotsPerInch_), PixelsAt(kClientHeight, dotsPerInch_)};
}

void ControlPlacement::Apply(const Controls& controls) {
    for (std::size_t row = 0; row < kControls.size(); ++row) {
        Place(controls[row], row);
    }
}

void ControlPlacement::Place(HWND control, std::size_t row) {
    const ControlSpec& entry = kControls[row];
    // Before any size is fixed: a new font makes the drive list measure itself again.
    if (!entry.font.family.empty()) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.For(entry.font)), TRUE);
    }
    RECT place = PlaceOf(entry, dotsPerInch_);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    switch (entry.kind) {
        case ControlKind::Frame:
            gui::win32::SetFrameDotsPerInch(control, dotsPerInch_);
            break;
        case ControlKind::DriveList:
            FitClosedDriveList(control, static_cast<int>(place.bottom - place.top));
            place.bottom += gui::win32::Scaled(kDriveListDropHeight, dotsPerInch_);
            break;
        case ControlKind::Picture:
            // The picture sizes the control.
            ShowPicture(control, entry);
            flags |= SWP_NOSIZE;
            break;
        default:
            break;
    }
    ::SetWindowPos(control, nullptr, place.left, place.top, place.right - place.left,
                   place.bottom - place.top, flags);
}

// At 96 dots per inch the picture fills its box at its natural size, as laid out; elsewhere a
// copy stretched to the box's size there stands in for it.
void ControlPlacement::ShowPicture(HWND control, const ControlSpec& entry) {
    pictures_.push_back(std::make_unique<gui::win32::ResourcePicture>(std::string(entry.caption)));
    HBITMAP shown = pictures_.back()->Bitmap();
    if (dotsPerInch_ != gui::win32::kLayoutDotsPerInch) {
        const RECT box = PlaceOf(entry, dotsPerInch_);
        stretched_.push_back(
            pictures_.back()->Stretched(SIZE{box.right - box.left, box.bottom - box.top}));
        shown = stretched_.back().get();
    }
    ::SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown));
}

}  // namespace setup
