// Stands in for the application on the Windows installation medium: it records the folder it
// was started in, as UTF-8, in "Velmora_KZ.started" there, and ends.
#include "platform/windows/windows_api.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) {
        return 1;
    }
    char record[4 * MAX_PATH] = {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, folder, static_cast<int>(length), record,
                                           sizeof record, nullptr, nullptr);
    // Written under another name first, so whoever waits for the file never reads half of it.
    const wchar_t* pending = L"Velmora_KZ.started.pending";
    const HANDLE file = ::CreateFileW(pending, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (size <= 0 || file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    const bool complete = ::WriteFile(file, record, static_cast<DWORD>(size), &written, nullptr) &&
                          ::WriteFile(file, "\r\n", 2, &written, nullptr);
    ::CloseHandle(file);
    if (!complete || !::MoveFileExW(pending, L"Velmora_KZ.started", MOVEFILE_REPLACE_EXISTING)) {
        ::DeleteFileW(pending);
        return 1;
    }
    return 0;
}
