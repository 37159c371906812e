#include <QApplication>

#include "platform/layout.h"
#include "platform/qt/gui_runtime.h"
#include "resources/resources.h"
#include "setup/setup_window.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    resources::Initialize();
    platform::qt::InstallGuiRuntime();

    setup::SetupWindow window(platform::NativeLayout());
    window.show();
    return QApplication::exec();
}
