#include "setup/win32/control_factory.h"

#include <algorithm>
#include <stdexcept>

#include "gui/win32/frame.h"

namespace setup {

namespace {

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

}  // namespace

HWND CreateControl(HWND window, std::size_t row, const std::string& destination) {
    const ControlSpec& entry = kControls[row];
    const NativeKind& native = NativeKindOf(entry.kind);
    // The frame's class is this program's own, registered under its name.
    const std::wstring className = native.className != nullptr
                                       ? std::wstring(native.className)
                                       : platform::Wide(gui::win32::kFrameClassName);
    const HWND control = ::CreateWindowExW(
        native.extendedStyle, className.c_str(), platform::Wide(TextOf(entry, destination)).c_str(),
        WS_CHILD | WS_VISIBLE | native.style, 0, 0, 0, 0, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(row))), ::GetModuleHandleW(nullptr),
        nullptr);
    if (control == nullptr) {
        throw std::runtime_error("cannot create " + std::string(entry.name));
    }
    if (entry.kind == ControlKind::Frame) {
        gui::win32::SetFrameColours(control, ColourOf(kWhite), ColourOf(kFrameCaptionColour));
    } else if (entry.kind == ControlKind::TextBox) {
        ::SendMessageW(control, EM_SETLIMITTEXT, 0, 0);
    }
    return control;
}

}  // namespace setup
