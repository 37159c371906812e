#include "launcher/qt/window_module.h"

#include "launcher/qt/launcher_window.h"
#include "platform/qt/program_entry.h"

extern "C" __attribute__((visibility("default"))) int VelmoraLauncherWindow(
    int argc, char** argv, const platform::RuntimeError* failure) {
    return platform::qt::RunProgram(argc, argv, [failure](const platform::Layout& /*layout*/) {
        return launcher::WindowAfterLoad(failure);
    });
}
