#include "setup/win32/setup_window.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <utility>

#include <ole2.h>
#include <olectl.h>

#include "platform/platform.h"
#include "platform/runtime_error.h"
#include "platform/win32/gui.h"

namespace setup {

namespace {

constexpr const char* kFrameClassName = "Velmora_KZ Frame";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr int kInvalidPropertyValue = 380;
constexpr int kFolderIndent = 2;
constexpr int kDriveListDropHeight = 160;
constexpr int kFrameCaptionIndent = 8;

using FormHandler = void (Form1::*)();

struct Binding {
    std::string_view control;
    FormHandler handler;
};

constexpr Binding kHandlers[] = {
    {"Check1", &Form1::Check1_Click},     {"Check2", &Form1::Check2_Click},
    {"Check3", &Form1::Check3_Click},     {"Text1", &Form1::Text1_Change},
    {"Drive1", &Form1::Drive1_Change},    {"Dir1", &Form1::Dir1_Change},
    {"Command1", &Form1::Command1_Click}, {"Command2", &Form1::Command2_Click},
};

FormHandler HandlerOf(std::string_view control) {
    for (const auto& binding : kHandlers) {
        if (binding.control == control) {
            return binding.handler;
        }
    }
    throw std::logic_error("no handler for " + std::string(control));
}

const ControlSpec& FrameEntry() {
    return kControls[RowNamed("Frame1")];
}

COLORREF ColourOf(Rgb colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

bool SameFont(const FontSpec& a, const FontSpec& b) {
    return a.family == b.family && a.points == b.points && a.weight == b.weight &&
           a.slant == b.slant;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    return ::lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

std::string TextOf(HWND control) {
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(control)) + 1, '\0');
    const int length = ::GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(length, 0)));
    return text;
}

// "C:\Data\Old" gives "C:\", "C:\Data", "C:\Data\Old"; a share "\\host\share\x" starts at
// "\\host\share\".
std::vector<std::string> FoldersDownTo(const std::string& path) {
    std::size_t rootLength = 0;
    if (path.size() >= 3 && path[1] == ':' && IsSeparator(path[2])) {
        rootLength = 3;
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        const auto host = path.find_first_of("\\/", 2);
        const auto share = host == std::string::npos ? host : path.find_first_of("\\/", host + 1);
        rootLength = share == std::string::npos ? path.size() : share + 1;
    }
    std::vector<std::string> chain;
    if (rootLength > 0) {
        chain.push_back(path.substr(0, rootLength));
    }
    for (std::size_t start = rootLength; start < path.size();) {
        const auto end = std::min(path.find_first_of("\\/", start), path.size());
        if (end > start) {
            chain.push_back(path.substr(0, end));
        }
        start = end + 1;
    }
    if (chain.empty()) {
        chain.push_back(path);
    }
    return chain;
}

std::string LastName(const std::string& folder) {
    const auto found = folder.find_last_of("\\/");
    return found == std::string::npos ? folder : folder.substr(found + 1);
}

std::string Child(const std::string& folder, const std::string& name) {
    return !folder.empty() && IsSeparator(folder.back()) ? folder + name : folder + "\\" + name;
}

std::vector<std::string> SubfoldersOf(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA(Child(folder, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::string name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != "." &&
            name != "..") {
            names.push_back(name);
        }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return ::lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    return names;
}

// The full form of a folder, as the list shows it: no trailing backslash but at a root.
std::string FullFolderPath(const std::string& folder) {
    char buffer[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameA(folder.c_str(), MAX_PATH, buffer, nullptr);
    std::string full = length > 0 && length < MAX_PATH ? std::string(buffer, length) : folder;
    if (full.size() > FoldersDownTo(full).front().size() && IsSeparator(full.back())) {
        full.pop_back();
    }
    return full;
}

// The frame: a white box with an etched border and its caption in navy, painted whole by itself.
LRESULT CALLBACK FrameProcedure(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETFONT:
            ::SetWindowLongPtrA(frame, 0, static_cast<LONG_PTR>(wParam));
            if (LOWORD(lParam) != 0) {
                ::InvalidateRect(frame, nullptr, TRUE);
            }
            return 0;
        case WM_GETFONT:
            return ::GetWindowLongPtrA(frame, 0);
        case WM_ERASEBKGND:
            return 1;
        case WM_NCHITTEST:
            return HTTRANSPARENT;
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            const HDC dc = ::BeginPaint(frame, &paint);
            RECT client{};
            ::GetClientRect(frame, &client);
            const HBRUSH white = ::CreateSolidBrush(ColourOf(kWhite));
            ::FillRect(dc, &client, white);
            ::DeleteObject(white);

            const auto font = reinterpret_cast<HFONT>(::GetWindowLongPtrA(frame, 0));
            const HGDIOBJ previous = ::SelectObject(dc, font);
            TEXTMETRICA metrics{};
            ::GetTextMetricsA(dc, &metrics);
            RECT border = client;
            border.top += metrics.tmHeight / 2;
            ::DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);

            const std::string caption = TextOf(frame);
            ::SetBkMode(dc, OPAQUE);
            ::SetBkColor(dc, ColourOf(kWhite));
            ::SetTextColor(dc, ColourOf(kFrameCaptionColour));
            ::TextOutA(dc, kFrameCaptionIndent, 0, caption.c_str(),
                       static_cast<int>(caption.size()));
            ::SelectObject(dc, previous);
            ::EndPaint(frame, &paint);
            return 0;
        }
        default:
            return ::DefWindowProcA(frame, message, wParam, lParam);
    }
}

void RegisterClasses(HINSTANCE instance, WNDPROC formProcedure) {
    static const bool registered = [instance, formProcedure] {
        WNDCLASSEXA form{};
        form.cbSize = sizeof form;
        form.lpfnWndProc = formProcedure;
        form.hInstance = instance;
        form.hIcon = platform::win32::ProgramIcon(::GetSystemMetrics(SM_CXICON));
        form.hIconSm = platform::win32::ProgramIcon(::GetSystemMetrics(SM_CXSMICON));
        form.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
        form.lpszClassName = kWindowClassName;
        form.hbrBackground = nullptr;
        ::RegisterClassExA(&form);

        WNDCLASSEXA frame{};
        frame.cbSize = sizeof frame;
        frame.lpfnWndProc = FrameProcedure;
        frame.cbWndExtra = sizeof(LONG_PTR);
        frame.hInstance = instance;
        frame.hCursor = form.hCursor;
        frame.lpszClassName = kFrameClassName;
        ::RegisterClassExA(&frame);
        return true;
    }();
    (void)registered;
}

}  // namespace

Win32Window::Win32Window(platform::Layout layout)
    : form_(*this, layout),
      windowBrush_(::CreateSolidBrush(ColourOf(kWindowBackground))),
      whiteBrush_(::CreateSolidBrush(ColourOf(kWhite))) {
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    RegisterClasses(instance, &WindowProcedure);
    const SIZE size = platform::win32::WindowSizeForClient(kWindowStyle, 0, Pixels(kClientWidth),
                                                           Pixels(kClientHeight));
    window_ = ::CreateWindowExA(0, kWindowClassName, std::string(kWindowCaption).c_str(),
                                kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy,
                                nullptr, nullptr, instance, nullptr);
    if (window_ == nullptr) {
        throw std::runtime_error("cannot create the installer window");
    }
    ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    BuildControls(layout.applicationFolder);
    lastFocus_ = Control("Check1");
    wired_ = true;
}

Win32Window::~Win32Window() {
    if (window_ != nullptr && ::IsWindow(window_)) {
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
    }
    for (IPicture* picture : pictures_) {
        picture->Release();
    }
    for (const auto& [font, handle] : fonts_) {
        ::DeleteObject(handle);
    }
    ::DeleteObject(windowBrush_);
    ::DeleteObject(whiteBrush_);
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
        controls_[row] = CreateControl(row, destination);
    }
    StackInTabOrder();
    ShowDrives();
    folder_ = platform::CurrentFolder();
    ShowFolder();
}

HWND Win32Window::CreateControl(std::size_t row, const std::string& destination) {
    const ControlSpec& entry = kControls[row];
    int left = Pixels(entry.left);
    int top = Pixels(entry.top);
    if (entry.parent == Parent::Frame1) {
        left += Pixels(FrameEntry().left);
        top += Pixels(FrameEntry().top);
    }
    int width = Pixels(entry.width);
    int height = Pixels(entry.height);

    const char* className = "STATIC";
    std::string text(entry.caption);
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD extendedStyle = 0;
    switch (entry.kind) {
        case ControlKind::Label:
            style |= SS_LEFT | SS_NOPREFIX;
            break;
        case ControlKind::Frame:
            className = kFrameClassName;
            style |= WS_CLIPSIBLINGS;
            break;
        case ControlKind::CheckBox:
            // Three-state so that code can grey it; a click only toggles, done here.
            className = "BUTTON";
            style |= WS_TABSTOP | BS_3STATE;
            break;
        case ControlKind::TextBox:
            className = "EDIT";
            text = destination;
            style |= WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
            extendedStyle = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::DriveList:
            className = "COMBOBOX";
            style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
            height += kDriveListDropHeight;
            break;
        case ControlKind::FolderList:
            className = "LISTBOX";
            style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
            extendedStyle = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::Button:
            className = "BUTTON";
            style |= WS_TABSTOP | BS_PUSHBUTTON;
            break;
        case ControlKind::Picture:
            // The picture sizes the control: natural size, never stretched.
            style |= SS_BITMAP;
            text.clear();
            width = 0;
            height = 0;
            break;
    }
    const HWND control =
        ::CreateWindowExA(extendedStyle, className, text.c_str(), style, left, top, width, height,
                          window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(row))),
                          ::GetModuleHandleA(nullptr), nullptr);
    if (control == nullptr) {
        throw std::runtime_error("cannot create " + std::string(entry.name));
    }
    // Before any size is fixed: a new font makes the drive list measure itself again.
    if (!entry.font.family.empty()) {
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(entry.font)), FALSE);
    }
    switch (entry.kind) {
        case ControlKind::TextBox:
            ::SendMessageA(control, EM_SETLIMITTEXT, 0, 0);
            break;
        case ControlKind::DriveList: {
            // The closed list keeps the laid-out height: its field, plus the border the
            // system draws around it.
            ::SendMessageA(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                           Pixels(entry.height));
            RECT closed{};
            ::GetWindowRect(control, &closed);
            const int border = static_cast<int>(closed.bottom - closed.top) - Pixels(entry.height);
            ::SendMessageA(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                           Pixels(entry.height) - border);
            break;
        }
        case ControlKind::Picture:
            ::SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP,
                           reinterpret_cast<LPARAM>(LoadPicture(entry.caption)));
            break;
        default:
            break;
    }
    return control;
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

HFONT Win32Window::FontFor(const FontSpec& font) {
    for (const auto& [known, handle] : fonts_) {
        if (SameFont(known, font)) {
            return handle;
        }
    }
    const int height = -::MulDiv(static_cast<int>(std::lround(font.points * 100)), 96, 7200);
    const BYTE family = font.family == "Times New Roman" ? FF_ROMAN : FF_SWISS;
    const HFONT handle =
        ::CreateFontA(height, 0, 0, 0, font.weight == Weight::Bold ? FW_BOLD : FW_NORMAL,
                      font.slant == Slant::Italic, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, family | VARIABLE_PITCH,
                      std::string(font.family).c_str());
    fonts_.emplace_back(font, handle);
    return handle;
}

// The step pictures are GIF files among the program's resources; the system's picture loader
// decodes them.
HBITMAP Win32Window::LoadPicture(std::string_view resourceName) {
    const HMODULE module = ::GetModuleHandleA(nullptr);
    const HRSRC resource =
        ::FindResourceA(module, std::string(resourceName).c_str(), MAKEINTRESOURCEA(10));
    const DWORD size = resource != nullptr ? ::SizeofResource(module, resource) : 0;
    const HGLOBAL loaded = resource != nullptr ? ::LoadResource(module, resource) : nullptr;
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0) {
        return nullptr;
    }
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (copy == nullptr) {
        return nullptr;
    }
    std::memcpy(::GlobalLock(copy), bytes, size);
    ::GlobalUnlock(copy);
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(copy, TRUE, &stream))) {
        ::GlobalFree(copy);
        return nullptr;
    }
    IPicture* picture = nullptr;
    const HRESULT result = ::OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                            reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(result) || picture == nullptr) {
        return nullptr;
    }
    pictures_.push_back(picture);
    OLE_HANDLE handle = 0;
    picture->get_Handle(&handle);
    return reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
}

LRESULT CALLBACK Win32Window::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* self = reinterpret_cast<Win32Window*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcA(window, message, wParam, lParam);
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
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, windowBrush_);
            return 1;
        }
        case WM_CTLCOLORSTATIC:
            return reinterpret_cast<LRESULT>(
                OnStaticColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
        case WM_ACTIVATE:
            // Coming back to the window returns the focus to the control that had it.
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = ::GetFocus();
                if (focus != nullptr && ::IsChild(window_, focus)) {
                    lastFocus_ = focus;
                }
            } else if (lastFocus_ != nullptr) {
                ::SetFocus(lastFocus_);
            }
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcA(window_, message, wParam, lParam);
    }
}

void Win32Window::OnCommand(int id, int code) {
    if (!wired_) {
        return;
    }
    if (id == IDOK) {
        // Enter presses a focused button, as a click does, and nothing else.
        const HWND focus = ::GetFocus();
        for (const char* button : {"Command1", "Command2"}) {
            if (focus == Control(button)) {
                ::SendMessageA(focus, BM_CLICK, 0, 0);
            }
        }
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
                // The install runs to the end without returning to the message loop.
                ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));  // IDC_WAIT
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

void Win32Window::OnCheckBoxClicked(std::size_t row) {
    const HWND box = controls_[row];
    const auto value = ::SendMessageA(box, BM_GETCHECK, 0, 0);
    ::SendMessageA(box, BM_SETCHECK, value == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    Run(HandlerOf(kControls[row].name));
}

void Win32Window::OnDriveChosen() {
    const auto index = static_cast<int>(::SendMessageA(Control("Drive1"), CB_GETCURSEL, 0, 0));
    if (index == CB_ERR || index == driveIndex_) {
        return;
    }
    driveIndex_ = index;
    Run(&Form1::Drive1_Change);
}

void Win32Window::OnFolderActivated() {
    const auto index = ::SendMessageA(Control("Dir1"), LB_GETCURSEL, 0, 0);
    if (index == LB_ERR || static_cast<std::size_t>(index) >= folderEntries_.size()) {
        return;
    }
    const std::string folder = folderEntries_[static_cast<std::size_t>(index)];
    platform::win32::RunWindowHandler([this, &folder] { OpenFolder(folder); });
}

HBRUSH Win32Window::OnStaticColour(HDC dc, HWND control) {
    const std::size_t row = RowOf(control);
    const bool white = row < kControls.size() && kControls[row].whiteBackground;
    ::SetBkColor(dc, ColourOf(white ? kWhite : kWindowBackground));
    return white ? whiteBrush_ : windowBrush_;
}

void Win32Window::ShowDrives() {
    const HWND list = Control("Drive1");
    const std::string current = platform::CurrentFolder();
    ::SendMessageA(list, CB_RESETCONTENT, 0, 0);
    int index = 0;
    for (const auto& drive : platform::Drives()) {
        const auto added = static_cast<int>(
            ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.c_str())));
        if (current.size() >= drive.size() &&
            EqualIgnoringCase(current.substr(0, drive.size()), drive)) {
            index = added;
        }
    }
    ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    driveIndex_ = index;
}

void Win32Window::OpenFolder(const std::string& folder) {
    const DWORD attributes = ::GetFileAttributesA(folder.c_str());
    if (folder.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        throw platform::RuntimeError(platform::error::kPathNotFound, "Path not found");
    }
    const std::string full = FullFolderPath(folder);
    const bool changed = full != folder_;
    folder_ = full;
    ShowFolder();
    if (changed) {
        Run(&Form1::Dir1_Change);
    }
}

void Win32Window::ShowFolder() {
    const HWND list = Control("Dir1");
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    folderEntries_.clear();
    const auto add = [&](const std::string& path, const std::string& name, std::size_t depth) {
        const std::string line = std::string(depth * kFolderIndent, ' ') + name;
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        folderEntries_.push_back(path);
    };
    const std::vector<std::string> chain = FoldersDownTo(folder_);
    for (std::size_t depth = 0; depth < chain.size(); ++depth) {
        add(chain[depth], depth == 0 ? chain[depth] : LastName(chain[depth]), depth);
    }
    for (const auto& name : SubfoldersOf(folder_)) {
        add(Child(folder_, name), name, chain.size());
    }
    ::SendMessageA(list, LB_SETCURSEL, chain.size() - 1, 0);
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

void Win32Window::Run(Handler handler) {
    platform::win32::RunWindowHandler([this, handler] { (form_.*handler)(); });
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
    return static_cast<int>(::SendMessageA(CheckBoxControl(box), BM_GETCHECK, 0, 0));
}

void Win32Window::SetCheckValue(CheckBox box, int value) {
    if (value < BST_UNCHECKED || value > BST_INDETERMINATE) {
        throw platform::RuntimeError(kInvalidPropertyValue, "Invalid property value");
    }
    if (CheckValue(box) == value) {
        return;
    }
    const HWND control = CheckBoxControl(box);
    ::SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    Run(HandlerOf(kControls[RowOf(control)].name));
}

std::string Win32Window::Text1Text() const {
    return TextOf(Control("Text1"));
}

// The edit control reports the change itself, so Text1's handler runs inside this call.
void Win32Window::SetText1Text(const std::string& text) {
    ::SetWindowTextA(Control("Text1"), text.c_str());
}

std::string Win32Window::Dir1Path() const {
    return folder_;
}

void Win32Window::SetDir1Path(const std::string& path) {
    const std::vector<std::string> drives = platform::Drives();
    const bool isDrive = std::any_of(drives.begin(), drives.end(), [&](const std::string& drive) {
        return EqualIgnoringCase(drive, path);
    });
    OpenFolder(isDrive ? platform::CurrentFolderOfDrive(path) : path);
}

std::string Win32Window::Drive1Drive() const {
    const HWND list = Control("Drive1");
    const auto index = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) {
        return {};
    }
    std::string drive(static_cast<std::size_t>(::SendMessageA(list, CB_GETLBTEXTLEN, index, 0)) + 1,
                      '\0');
    const auto length =
        ::SendMessageA(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(drive.data()));
    drive.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
    return drive;
}

}  // namespace setup
