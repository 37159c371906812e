#include <array>
#include <cstdio>
#include <span>
#include <string>

#include "launcher/core/launcher_form.h"
#include "launcher/qt/window_module.h"
#include "platform/embedded_module.h"
#include "platform/layout.h"
#include "platform/runtime_error.h"

// The window module's bytes, placed in the program by window_module_image.S.
extern "C" const unsigned char velmora_launcher_window_module[];
extern "C" const unsigned char velmora_launcher_window_module_end[];

namespace {

// What the window module needs by name, in the order each needs the one before.
constexpr std::array<const char*, 3> kWindowLibraries{
    VELMORA_QT_CORE_LIBRARY, VELMORA_QT_GUI_LIBRARY, VELMORA_QT_WIDGETS_LIBRARY};

// The system's Qt when it has one the module can use; else the one the installer put in the
// application folder, for desktops without Qt.
launcher::WindowEntry LoadWindow(const std::string& applicationFolder) {
    const std::span image(velmora_launcher_window_module, velmora_launcher_window_module_end);
    std::string systemFailure;
    if (void* entry =
            platform::LoadEmbeddedModule(image, launcher::kWindowEntryName, systemFailure)) {
        return reinterpret_cast<launcher::WindowEntry>(entry);
    }
    const std::string runtime = applicationFolder + "/" + VELMORA_RUNTIME_FOLDER;
    std::string bundledFailure;
    if (platform::LoadLibrariesFrom(runtime, kWindowLibraries, bundledFailure)) {
        if (void* entry =
                platform::LoadEmbeddedModule(image, launcher::kWindowEntryName, bundledFailure)) {
            return reinterpret_cast<launcher::WindowEntry>(entry);
        }
    }
    std::fprintf(stderr, "Velmora_KZ.2.0.1.exe: cannot load its window: %s; nor from %s: %s\n",
                 systemFailure.c_str(), runtime.c_str(), bundledFailure.c_str());
    return nullptr;
}

}  // namespace

int main(int argc, char* argv[]) {
    std::string applicationFolder;
    const auto failure = platform::CaptureFailure([&applicationFolder] {
        launcher::Form1 form(platform::NativeLayout());
        applicationFolder = form.ApplicationFolderToFollow();
        form.Form_Load();
    });

    const launcher::WindowEntry entry = LoadWindow(applicationFolder);
    if (entry == nullptr) {
        return 1;
    }
    if (!failure) {
        return entry(argc, argv, nullptr);
    }
    const std::string description = failure->Description();
    const VelmoraLoadFailure plain{failure->Number(), description.c_str(), failure->Place().c_str(),
                                   failure->SystemCode()};
    return entry(argc, argv, &plain);
}
