#include "setup/win32/control_factory.h"

#include <algorithm>
#include <stdexcept>

#include "gui/win32/frame.h"

namespace setup {

namespace {

constexpr int kDriveListDropHeight = 160;

// The native class and styles of each kind of control.
struct NativeKind {
    ControlKind kind;
    const wchar_t* className;
    DWORD style;
    DWORD extendedStyle;
};

constexpr NativeKind kNativeKinds[] = {
    {ControlKind::Label, L"STATIC", SS_LEFT | SS_NOPREFIX, 0},
    {ControlKind::Frame, nullptr, WS_CLIPSIBLINGS, 0},
    // Three-state so that code can grey it; a click only toggles, done by the window.
    {ControlKind::CheckBox, L"BUTTON", WS_TABSTOP | BS_3STATE, 0},
    {ControlKind::TextBox, L"EDIT", WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
    {ControlKind::DriveList, L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0},
    {ControlKind::FolderList, L"LISTBOX",
     WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE},
    {ControlKind::Button, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0},
    {ControlKind::Picture, L"STATIC", SS_BITMAP, 0},
};

const NativeKind& NativeKindOf(ControlKind kind) {
    const auto* found =
        std::find_if(std::begin(kNativeKinds), std::end(kNativeKinds),
                     [kind](const NativeKind& native) { return native.kind == kind; });
    if (found == std::end(kNativeKinds)) {
        throw std::logic_error("no native control for a kind of the control table");
    }
    return *found;
}

COLORREF ColourOf(Rgb colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

RECT PlaceOf(const ControlSpec& entry) {
    int left = Pixels(entry.left);
    int top = Pixels(entry.top);
    if (entry.parent == Parent::Frame1) {
        const ControlSpec& frame = kControls[RowNamed("Frame1")];
        left += Pixels(frame.left);
        top += Pixels(frame.top);
    }
    int width = Pixels(entry.width);
    int height = Pixels(entry.height);
    if (entry.kind == ControlKind::DriveList) {
        height += kDriveListDropHeight;
    } else if (entry.kind == ControlKind::Picture) {
        // The picture sizes the control: natural size, never stretched.
        width = 0;
        height = 0;
    }
    return RECT{left, top, left + width, top + height};
}

std::string TextOf(const ControlSpec& entry, const std::string& destination) {
    switch (entry.kind) {
        case ControlKind::TextBox:
            return destination;
        case ControlKind::Picture:
            return {};
        default:
            return std::string(entry.caption);
    }
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

HWND ControlFactory::Create(HWND window, std::size_t row, const std::string& destination) {
    const ControlSpec& entry = kControls[row];
    const NativeKind& native = NativeKindOf(entry.kind);
    const RECT place = PlaceOf(entry);
    // The frame's class is this program's own, registered under its name.
    const std::wstring className = native.className != nullptr
                                       ? std::wstring(native.className)
                                       : platform::Wide(gui::win32::kFrameClassName);
    const HWND control = ::CreateWindowExW(
        native.extendedStyle, className.c_str(), platform::Wide(TextOf(entry, destination)).c_str(),
        WS_CHILD | WS_VISIBLE | native.style, place.left, place.top, place.right - place.left,
        place.bottom - place.top, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(row))), ::GetModuleHandleW(nullptr),
        nullptr);
    if (control == nullptr) {
        throw std::runtime_error("cannot create " + std::string(entry.name));
    }
    Finish(control, entry);
    return control;
}

void ControlFactory::Finish(HWND control, const ControlSpec& entry) {
    // Before any size is fixed: a new font makes the drive list measure itself again.
    if (!entry.font.family.empty()) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.For(entry.font)),
                       FALSE);
    }
    switch (entry.kind) {
        case ControlKind::Frame:
            gui::win32::SetFrameColours(control, ColourOf(kWhite), ColourOf(kFrameCaptionColour));
            break;
        case ControlKind::TextBox:
            ::SendMessageW(control, EM_SETLIMITTEXT, 0, 0);
            break;
        case ControlKind::DriveList:
            FitClosedDriveList(control, Pixels(entry.height));
            break;
        case ControlKind::Picture:
            pictures_.push_back(
                std::make_unique<gui::win32::ResourcePicture>(std::string(entry.caption)));
            ::SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP,
                           reinterpret_cast<LPARAM>(pictures_.back()->Bitmap()));
            break;
        default:
            break;
    }
}

}  // namespace setup
