#include <sys/resource.h>
#include <array>
#include <cstdio>
#include <span>
#include <string>

#include "launcher/core/launcher_form.h"
#include "launcher/qt/window_module.h"
#include "platform/bundled_runtime.h"
#include "platform/embedded_module.h"
#include "platform/layout.h"
#include "platform/system_services.h"

// The window module's bytes, placed in the program by window_module_image.S.
extern "C" const unsigned char velmora_launcher_window_module[];
extern "C" const unsigned char velmora_launcher_window_module_end[];

namespace {

// What the window module needs by name, in the order each needs the one before.
constexpr std::array<const char*, 3> kWindowLibraries{
    VELMORA_QT_CORE_LIBRARY, VELMORA_QT_GUI_LIBRARY, VELMORA_QT_WIDGETS_LIBRARY};

// The system's Qt when it has one the module can use; else the one the installer put in the
// application folder, for desktops without Qt. Null with the reasons in failure.
launcher::WindowEntry LoadWindow(const std::string& applicationFolder, std::string& failure) {
    const std::span image(velmora_launcher_window_module, velmora_launcher_window_module_end);
    std::string systemFailure;
    if (void* entry =
            platform::LoadEmbeddedModule(image, launcher::kWindowEntryName, systemFailure)) {
        return reinterpret_cast<launcher::WindowEntry>(entry);
    }
    const std::string runtime = applicationFolder + "/" + platform::kBundledRuntimeFolder;
    std::string bundledFailure;
    if (platform::LoadLibrariesFrom(runtime, kWindowLibraries, bundledFailure)) {
        if (void* entry =
                platform::LoadEmbeddedModule(image, launcher::kWindowEntryName, bundledFailure)) {
            return reinterpret_cast<launcher::WindowEntry>(entry);
        }
    }
    failure = systemFailure + "; nor from " + runtime + ": " + bundledFailure;
    return nullptr;
}

// Without its window there is no box to show: whatever there is to say goes to the standard
// error, and the exit status says that the launcher failed.
int ReportWithoutWindow(const std::string& why, const platform::RuntimeError* failure) {
    std::fprintf(stderr, "Velmora_KZ.2.0.1.exe: cannot load its window: %s\n", why.c_str());
    if (failure != nullptr) {
        const std::string text = platform::UnhandledErrorText(*failure);
        std::fprintf(stderr, "Velmora_KZ.2.0.1.exe: %s\n", text.c_str());
    }
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    platform::SystemServices services;
    std::string applicationFolder;
    const auto failure = platform::CaptureFailure([&services, &applicationFolder] {
        launcher::Form1 form(services, platform::NativeLayout());
        applicationFolder = form.ApplicationFolderToFollow();
        form.Form_Load();
    });

    ::setpriority(PRIO_PROCESS, 0, 10);
    platform::GiveWayToStartedPrograms();
    std::string why;
    const launcher::WindowEntry entry = LoadWindow(applicationFolder, why);
    if (entry == nullptr) {
        return ReportWithoutWindow(why, failure ? &*failure : nullptr);
    }
    if (!failure) {
        return entry(argc, argv, nullptr);
    }
    const VelmoraLoadFailure plain{failure->Number(), failure->Place().c_str(),
                                   failure->SystemCode(), static_cast<int>(failure->Why())};
    return entry(argc, argv, &plain);
}
