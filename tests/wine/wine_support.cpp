#include "tests/wine/wine_support.h"

#include <filesystem>
#include <stdexcept>

#include "platform/windows/windows_api.h"
// After <windows.h>, which they need.
#include <objbase.h>
#include <shobjidl.h>

namespace wine_testing {

void StartIn(const std::string& folder) {
    if (!::SetCurrentDirectoryA(folder.c_str())) {
        throw std::runtime_error("cannot start in " + folder);
    }
}

std::string OwnFolder() {
    char buffer[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    const std::string program(buffer, length);
    return program.substr(0, program.find_last_of('\\'));
}

std::string JavaStandIn() {
    return OwnFolder() + "\\java-bin\\java.exe";
}

std::string ApplicationStandIn() {
    return OwnFolder() + "\\application\\Velmora_KZ.exe";
}

ShortcutFile ReadShortcut(const std::string& path) {
    ShortcutFile read{"<unreadable>", "<unreadable>", "<unreadable>"};
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkW, reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(platform::Wide(path).c_str(), STGM_READ))) {
        wchar_t text[MAX_PATH] = {};
        int icon = -1;
        if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) {
            read.target = platform::Utf8(text);
        }
        if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) {
            read.workingFolder = platform::Utf8(text);
        }
        if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &icon))) {
            read.icon = platform::Utf8(text) + "," + std::to_string(icon);
        }
    }
    if (file != nullptr) {
        file->Release();
    }
    if (link != nullptr) {
        link->Release();
    }
    return read;
}

}  // namespace wine_testing

namespace testing_support {

void PlaceJavaStandIn(const std::string& folder) {
    std::filesystem::copy_file(wine_testing::JavaStandIn(), folder + "\\java.exe",
                               std::filesystem::copy_options::overwrite_existing);
}

// A bare name finds a program file with the ".exe" ending.
void PlaceFolderRecorder(const std::string& folder, const std::string& name) {
    const std::string file = name.ends_with(".exe") ? name : name + ".exe";
    std::filesystem::copy_file(wine_testing::ApplicationStandIn(), folder + "\\" + file,
                               std::filesystem::copy_options::overwrite_existing);
}

}  // namespace testing_support
