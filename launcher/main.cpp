#include <QApplication>

#include "launcher/launcher_window.h"
#include "platform/layout.h"
#include "platform/qt/gui_runtime.h"
#include "resources/resources.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    resources::Initialize();
    platform::qt::InstallGuiRuntime();

    launcher::LauncherWindow window(platform::NativeLayout());
    window.show();
    return QApplication::exec();
}
