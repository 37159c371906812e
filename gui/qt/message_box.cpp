#include <QMessageBox>

#include "gui/qt/gui_runtime.h"

namespace gui::qt {

void ShowMessageBox(const std::string& text, const std::string& title) {
    // No parent: the box stays usable while the installer window is disabled.
    QMessageBox box(QMessageBox::NoIcon, ToQString(title), ToQString(text), QMessageBox::Ok);
    box.setWindowIcon(ProgramIcon());
    box.exec();
}

}  // namespace gui::qt
