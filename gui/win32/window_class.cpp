#include "gui/win32/window_class.h"

#include "gui/win32/gui.h"

namespace gui::win32 {

void RegisterWindowClass(const WindowClass& windowClass) {
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA known{};
    known.cbSize = sizeof known;
    if (::GetClassInfoExA(instance, windowClass.name, &known)) {
        return;
    }
    WNDCLASSEXA added{};
    added.cbSize = sizeof added;
    added.lpfnWndProc = windowClass.procedure;
    added.cbWndExtra = windowClass.extraBytes;
    added.hInstance = instance;
    added.hIcon = ProgramIcon(::GetSystemMetrics(SM_CXICON));
    added.hIconSm = ProgramIcon(::GetSystemMetrics(SM_CXSMICON));
    added.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    added.hbrBackground = windowClass.background;
    added.lpszClassName = windowClass.name;
    ::RegisterClassExA(&added);
}

}  // namespace gui::win32
