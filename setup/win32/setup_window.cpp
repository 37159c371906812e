#include "setup/win32/setup_window.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "gui/win32/dots_per_inch.h"
#include "gui/win32/frame.h"
#include "gui/win32/window_class.h"
#include "platform/platform.h"
#include "platform/runtime_error.h"
#include "setup/win32/control_factory.h"

namespace setup {

namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr gui::win32::ClientTwips kClient{kClientWidth, kClientHeight};

COLORREF ColourOf(Rgb colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

std::string TextOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    const int length = ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(length, 0)));
    return platform::Utf8(text);
}

// A list or combo box message that carries a line of text.
void AddLine(HWND list, UINT message, const std::string& line) {
    const std::wstring text = platform::Wide(line);
    ::SendMessageW(list, message, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

Form1Handler HandlerOf(std::string_view control) {
    const HandlerBinding* binding = BindingOf(control);
    return binding != nullptr ? binding->handler : nullptr;
}

}  // namespace

Win32Window::Win32Window(platform::Services& services, const platform::Layout& layout,
                         const unattended::Options& options)
    : services_(services),
      form_(*this, services, layout, options),
      windowBrush_(::CreateSolidBrush(ColourOf(kWindowBackground))),
      whiteBrush_(::CreateSolidBrush(ColourOf(kWhite))),
      folders_(platform::CurrentFolder()) {
    gui::win32::RegisterWindowClass({kWindowClassName, &WindowProcedure});
    gui::win32::RegisterFrameClass();
    // Made at the system's resolution; where its monitor has another, laid out again for that.
    const ControlPlacement system(gui::win32::SystemDotsPerInch());
    const SIZE size =
        gui::win32::WindowSizeForClient(kWindowStyle, 0, system.ClientSize(), system.DotsPerInch());
    window_ = ::CreateWindowExW(0, platform::Wide(kWindowClassName).c_str(),
                                platform::Wide(kWindowCaption).c_str(), kWindowStyle, CW_USEDEFAULT,
                                CW_USEDEFAULT, size.cx, size.cy, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) {
        throw std::runtime_error("cannot create the installer window");
    }
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    placement_ = std::make_unique<ControlPlacement>(gui::win32::DotsPerInchOf(window_));
    if (placement_->DotsPerInch() != system.DotsPerInch()) {
        const SIZE own = gui::win32::WindowSizeForClient(kWindowStyle, 0, placement_->ClientSize(),
                                                         placement_->DotsPerInch());
        ::SetWindowPos(window_, nullptr, 0, 0, own.cx, own.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    BuildControls(layout.applicationFolder);
    lastFocus_ = Control("Check1");
    wired_ = true;
}

Win32Window::~Win32Window() {
    names_.Clear();
    if (window_ != nullptr && ::IsWindow(window_)) {
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
    }
}

HWND Win32Window::Control(std::string_view name) const {
    return controls_[RowNamed(name)];
}

void Win32Window::LoadAndShow(int showCommand) {
    Run(&Form1::Form_Load);
    ::ShowWindow(window_, showCommand);
    ::UpdateWindow(window_);
    ::SetFocus(lastFocus_);
}

void Win32Window::BuildControls(const std::string& destination) {
    for (std::size_t row = 0; row < kControls.size(); ++row) {
        controls_[row] = CreateControl(window_, row, destination);
    }
    placement_->Apply(controls_);
    StackInTabOrder();
    NameControls();
    ShowDrives();
    ShowFolder();
    gui::win32::ShowFocusAlways(window_);
}

// The lists' labels follow them in tab order, where the system looks for a control's name before
// it, so each control gets its name from the table.
void Win32Window::NameControls() {
    for (std::size_t row = 0; row < kControls.size(); ++row) {
        names_.Name(controls_[row], kControls[row].accessibleName,
                    kControls[row].accessibleDescription);
    }
    names_.Group(Control("Frame1"));
}

// The new placement is applied before the old one goes with the fonts and pictures it made.
void Win32Window::LayOutAt(int dotsPerInch) {
    auto placement = std::make_unique<ControlPlacement>(dotsPerInch);
    placement->Apply(controls_);
    placement_ = std::move(placement);
    ::InvalidateRect(window_, nullptr, TRUE);
}

// Tab follows the window order, and the frame lies under everything placed on it.
void Win32Window::StackInTabOrder() {
    HWND above = HWND_TOP;
    for (std::size_t row = 0; row < kControls.size(); ++row) {
        if (kControls[row].kind == ControlKind::Frame) {
            continue;
        }
        ::SetWindowPos(controls_[row], above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        above = controls_[row];
    }
    ::SetWindowPos(Control("Frame1"), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT CALLBACK Win32Window::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* self = reinterpret_cast<Win32Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        if (message == WM_NCCREATE) {
            gui::win32::ScaleNonClientArea(window);
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT Win32Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_ERASEBKGND: {
            RECT client{};
            ::GetClientRect(window_, &client);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, windowBrush_.get());
            return 1;
        }
        case WM_CTLCOLORSTATIC:
            return reinterpret_cast<LRESULT>(
                OnStaticColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
        case WM_ACTIVATE:
            OnActivate(wParam);
            return 0;
        case WM_GETDPISCALEDSIZE:
            return gui::win32::AnswerScaledSize(window_, kClient, wParam, lParam) ? TRUE : FALSE;
        case WM_DPICHANGED:
            OnDotsPerInchChanged(wParam, lParam);
            return 0;
        case WM_CHANGEUISTATE:
        case WM_UPDATEUISTATE:
            return gui::win32::KeepFocusShown(window_, message, wParam, lParam);
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(window_, message, wParam, lParam);
    }
}

// Coming back to the window returns the focus to the control that had it.
void Win32Window::OnActivate(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(window_, focus)) {
            lastFocus_ = focus;
        }
    } else if (lastFocus_ != nullptr) {
        ::SetFocus(lastFocus_);
    }
}

void Win32Window::OnDotsPerInchChanged(WPARAM wParam, LPARAM lParam) {
    const int dotsPerInch = gui::win32::FollowNewDotsPerInch(window_, kClient, wParam, lParam);
    if (wired_) {
        LayOutAt(dotsPerInch);
    } else {
        placement_ = std::make_unique<ControlPlacement>(dotsPerInch);
    }
}

void Win32Window::OnCommand(int id, int code) {
    if (!wired_) {
        return;
    }
    if (id == IDOK) {
        OnEnter();
        return;
    }
    if (id < kFirstControlId || id >= ControlId(kControls.size())) {
        return;
    }
    const auto row = static_cast<std::size_t>(id - kFirstControlId);
    const ControlSpec& entry = kControls[row];
    switch (entry.kind) {
        case ControlKind::CheckBox:
            if (code == BN_CLICKED) {
                OnCheckBoxClicked(row);
            }
            break;
        case ControlKind::Button:
            if (code == BN_CLICKED) {
                if (BindingOf(entry.name)->runsLong) {
                    ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
                }
                Run(HandlerOf(entry.name));
            }
            break;
        case ControlKind::TextBox:
            if (code == EN_CHANGE) {
                Run(HandlerOf(entry.name));
            }
            break;
        case ControlKind::DriveList:
            if (code == CBN_SELCHANGE) {
                OnDriveChosen();
            }
            break;
        case ControlKind::FolderList:
            if (code == LBN_DBLCLK) {
                OnFolderActivated();
            }
            break;
        default:
            break;
    }
}

// Enter presses a focused button, as a click does, and opens the folder chosen in the folder
// list, as a double click does; nothing else. Neither button is the window's default.
void Win32Window::OnEnter() {
    const HWND focus = ::GetFocus();
    const std::size_t row = RowOf(focus);
    if (focus == nullptr || row >= kControls.size()) {
        return;
    }
    if (kControls[row].kind == ControlKind::Button) {
        ::SendMessageW(focus, BM_CLICK, 0, 0);
    } else if (kControls[row].kind == ControlKind::FolderList) {
        OnFolderActivated();
    }
}

void Win32Window::OnCheckBoxClicked(std::size_t row) {
    const HWND box = controls_[row];
    const auto value = ::SendMessageW(box, BM_GETCHECK, 0, 0);
    ::SendMessageW(box, BM_SETCHECK, value == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    Run(HandlerOf(kControls[row].name));
}

void Win32Window::OnDriveChosen() {
    const auto index = static_cast<int>(::SendMessageW(Control("Drive1"), CB_GETCURSEL, 0, 0));
    if (index == CB_ERR || index == driveIndex_) {
        return;
    }
    driveIndex_ = index;
    Run(&Form1::Drive1_Change);
}

void Win32Window::OnFolderActivated() {
    const auto index = ::SendMessageW(Control("Dir1"), LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) {
        return;
    }
    platform::RunHandler(services_, [this, index] {
        FolderMoved(folders_.OpenLine(static_cast<std::size_t>(index)));
    });
}

HBRUSH Win32Window::OnStaticColour(HDC dc, HWND control) {
    const std::size_t row = RowOf(control);
    const bool white = row < kControls.size() && kControls[row].whiteBackground;
    ::SetBkColor(dc, ColourOf(white ? kWhite : kWindowBackground));
    return white ? whiteBrush_.get() : windowBrush_.get();
}

void Win32Window::ShowDrives() {
    const HWND list = Control("Drive1");
    drives_ = platform::Drives();
    ::SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const auto& drive : drives_) {
        AddLine(list, CB_ADDSTRING, drive);
    }
    driveIndex_ = static_cast<int>(DriveHolding(drives_, platform::CurrentFolder()).value_or(0));
    ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(driveIndex_), 0);
}

void Win32Window::FolderMoved(bool changed) {
    ShowFolder();
    if (changed) {
        Run(&Form1::Dir1_Change);
    }
}

void Win32Window::ShowFolder() {
    const HWND list = Control("Dir1");
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const auto& line : folders_.Lines()) {
        AddLine(list, LB_ADDSTRING, line.text);
    }
    ::SendMessageW(list, LB_SETCURSEL, folders_.CurrentLine(), 0);
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

void Win32Window::Run(Form1Handler handler) {
    if (handler == nullptr) {
        return;
    }
    platform::RunHandler(services_, [this, handler] { (form_.*handler)(); });
}

std::size_t Win32Window::RowOf(HWND control) const {
    return static_cast<std::size_t>(std::find(controls_.begin(), controls_.end(), control) -
                                    controls_.begin());
}

HWND Win32Window::CheckBoxControl(CheckBox box) const {
    switch (box) {
        case CheckBox::Check1:
            return Control("Check1");
        case CheckBox::Check2:
            return Control("Check2");
        case CheckBox::Check3:
            return Control("Check3");
    }
    throw std::logic_error("unknown check box");
}

int Win32Window::CheckValue(CheckBox box) const {
    return static_cast<int>(::SendMessageW(CheckBoxControl(box), BM_GETCHECK, 0, 0));
}

void Win32Window::SetCheckValue(CheckBox box, int value) {
    if (value < BST_UNCHECKED || value > BST_INDETERMINATE) {
        throw platform::RuntimeError(platform::error::kInvalidPropertyValue);
    }
    if (CheckValue(box) == value) {
        return;
    }
    const HWND control = CheckBoxControl(box);
    ::SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    Run(HandlerOf(kControls[RowOf(control)].name));
}

std::string Win32Window::Text1Text() const {
    return TextOf(Control("Text1"));
}

// The edit control reports the change itself, so Text1's handler runs inside this call.
void Win32Window::SetText1Text(const std::string& text) {
    ::SetWindowTextW(Control("Text1"), platform::Wide(text).c_str());
}

std::string Win32Window::Dir1Path() const {
    return folders_.Path();
}

void Win32Window::SetDir1Path(const std::string& path) {
    FolderMoved(folders_.Assign(path));
}

std::string Win32Window::Drive1Drive() const {
    const auto index = ::SendMessageW(Control("Drive1"), CB_GETCURSEL, 0, 0);
    if (index == CB_ERR || static_cast<std::size_t>(index) >= drives_.size()) {
        return {};
    }
    return drives_[static_cast<std::size_t>(index)];
}

}  // namespace setup
