#include "gui/qt/gui_runtime.h"

#include <QApplication>

namespace gui::qt {

void InstallGuiRuntime() {
    InstallFontSubstitutes();
    QApplication::setWindowIcon(ProgramIcon());
}

}  // namespace gui::qt
