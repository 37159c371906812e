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

namespace {

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
    const auto failure = platform::CaptureFailure(
        [&services] { launcher::Form1(services, platform::NativeLayout()).Form_Load(); });

    std::string why;
    const auto entry = reinterpret_cast<launcher::WindowEntry>(platform::LoadEmbeddedModule(
        std::span(velmora_launcher_window_module, velmora_launcher_window_module_end),
        launcher::kWindowEntryName, why));
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
