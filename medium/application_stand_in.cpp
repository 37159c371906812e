// Stands in for the application on the Windows installation medium: it records the folder it
// was started in, in "Velmora_KZ.started" there, and ends.
#include "platform/windows/windows_api.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
    char folder[MAX_PATH] = {};
    const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) {
        return 1;
    }
    // Written under another name first, so whoever waits for the file never reads half of it.
    const char* pending = "Velmora_KZ.started.pending";
    const HANDLE file = ::CreateFileA(pending, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    const bool complete = ::WriteFile(file, folder, length, &written, nullptr) &&
                          ::WriteFile(file, "\r\n", 2, &written, nullptr);
    ::CloseHandle(file);
    if (!complete || !::MoveFileExA(pending, "Velmora_KZ.started", MOVEFILE_REPLACE_EXISTING)) {
        ::DeleteFileA(pending);
        return 1;
    }
    return 0;
}
