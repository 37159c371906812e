#include <QApplication>

#include "launcher/qt/launcher_window.h"
#include "platform/layout.h"
#include "platform/qt/gui_runtime.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    platform::qt::InstallGuiRuntime();

    launcher::LauncherWindow window(platform::NativeLayout());
    window.show();
    return QApplication::exec();
}
