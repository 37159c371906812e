#include "gui/qt/gui_runtime.h"

#include <QApplication>

#include "gui/qt/accessibility.h"

namespace gui::qt {

void InstallGuiRuntime() {
    InstallFontSubstitutes();
    QApplication::setWindowIcon(ProgramIcon());
    InstallAccessibility();
}

}  // namespace gui::qt
