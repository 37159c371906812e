#include "gui/win32/window_class.h"

#include <string>

#include "gui/win32/gui.h"

namespace gui::win32 {

void RegisterWindowClass(const WindowClass& windowClass) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const std::wstring name = platform::Wide(windowClass.name);
    WNDCLASSEXW known{};
    known.cbSize = sizeof known;
    if (::GetClassInfoExW(instance, name.c_str(), &known)) {
        return;
    }
    WNDCLASSEXW added{};
    added.cbSize = sizeof added;
    added.lpfnWndProc = windowClass.procedure;
    added.cbWndExtra = windowClass.extraBytes;
    added.hInstance = instance;
    added.hIcon = ProgramIcon(::GetSystemMetrics(SM_CXICON));
    added.hIconSm = ProgramIcon(::GetSystemMetrics(SM_CXSMICON));
    added.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    added.hbrBackground = windowClass.background;
    added.lpszClassName = name.c_str();
    ::RegisterClassExW(&added);
}

}  // namespace gui::win32
