#include "platform/qt/gui_runtime.h"

#include <QApplication>

namespace platform::qt {

void InstallGuiRuntime() {
    InstallFontSubstitutes();
    InstallMessageBoxes();
    QApplication::setWindowIcon(ProgramIcon());
}

}  // namespace platform::qt
