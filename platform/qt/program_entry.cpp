#include "platform/qt/program_entry.h"

#include <QApplication>

#include "platform/qt/gui_runtime.h"

namespace platform::qt {

int RunProgram(int& argc, char** argv, const WindowMaker& makeWindow) {
    QApplication application(argc, argv);
    InstallGuiRuntime();

    const std::unique_ptr<QWidget> window = makeWindow(NativeLayout());
    window->show();
    return QApplication::exec();
}

}  // namespace platform::qt
