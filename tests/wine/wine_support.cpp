#include "tests/wine/wine_support.h"

#include <filesystem>
#include <stdexcept>

#include "platform/windows/windows_api.h"

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
