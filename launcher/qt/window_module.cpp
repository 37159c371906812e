#include "launcher/qt/window_module.h"

#include <optional>

#include "gui/qt/program.h"
#include "launcher/qt/launcher_window.h"
#include "platform/runtime_error.h"

extern "C" __attribute__((visibility("default"))) int VelmoraLauncherWindow(
    int argc, char** argv, const VelmoraLoadFailure* failure) {
    std::optional<platform::RuntimeError> error;
    if (failure != nullptr) {
        error.emplace(failure->number, failure->place, failure->systemCode,
                      static_cast<platform::Reason>(failure->reason));
    }
    return gui::qt::RunProgram(
        argc, argv, [&error](platform::Services& services, const platform::Layout& /*layout*/) {
            return launcher::WindowAfterLoad(services, error ? &*error : nullptr);
        });
}
