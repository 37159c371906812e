#include "launcher/qt/window_module.h"

#include <optional>

#include "launcher/qt/launcher_window.h"
#include "platform/qt/program_entry.h"
#include "platform/runtime_error.h"

extern "C" __attribute__((visibility("default"))) int VelmoraLauncherWindow(
    int argc, char** argv, const VelmoraLoadFailure* failure) {
    std::optional<platform::RuntimeError> error;
    if (failure != nullptr) {
        error.emplace(failure->number, failure->description, failure->place, failure->systemCode);
    }
    return platform::qt::RunProgram(argc, argv, [&error](const platform::Layout& /*layout*/) {
        return launcher::WindowAfterLoad(error ? &*error : nullptr);
    });
}
