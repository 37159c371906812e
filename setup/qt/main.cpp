#include <QApplication>

#include "platform/layout.h"
#include "platform/qt/gui_runtime.h"
#include "setup/qt/setup_window.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    platform::qt::InstallGuiRuntime();

    setup::SetupWindow window(platform::NativeLayout());
    window.show();
    return QApplication::exec();
}
