#include "launcher/qt/window_module.h"

#include <QApplication>

#include "launcher/qt/launcher_window.h"
#include "platform/qt/gui_runtime.h"

extern "C" __attribute__((visibility("default"))) int VelmoraLauncherWindow(
    int argc, char** argv, const platform::RuntimeError* failure) {
    QApplication application(argc, argv);
    platform::qt::InstallGuiRuntime();
    return launcher::ShowLoadOutcome(failure);
}
