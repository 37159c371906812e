#include <cstdio>
#include <span>
#include <string>

#include "launcher/core/launcher_form.h"
#include "launcher/qt/window_module.h"
#include "platform/embedded_module.h"
#include "platform/layout.h"
#include "platform/system_services.h"

// The window module's bytes, placed in the program by window_module_image.S.
extern "C" const unsigned char velmora_launcher_window_module[];
extern "C" const unsigned char velmora_launcher_window_module_end[];

int main(int argc, char* argv[]) {
    platform::SystemServices services;
    const auto failure = platform::CaptureFailure(
        [&services] { launcher::Form1(services, platform::NativeLayout()).Form_Load(); });

    std::string why;
    const auto entry = reinterpret_cast<launcher::WindowEntry>(platform::LoadEmbeddedModule(
        std::span(velmora_launcher_window_module, velmora_launcher_window_module_end),
        launcher::kWindowEntryName, why));
    if (entry == nullptr) {
        std::fprintf(stderr, "Velmora_KZ.2.0.1.exe: cannot load its window: %s\n", why.c_str());
        return 1;
    }
    if (!failure) {
        return entry(argc, argv, nullptr);
    }
    const VelmoraLoadFailure plain{failure->Number(), failure->Place().c_str(),
                                   failure->SystemCode(), static_cast<int>(failure->Why())};
    return entry(argc, argv, &plain);
}
