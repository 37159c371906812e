#include <QMessageBox>

#include "platform/platform.h"
#include "platform/qt/gui_runtime.h"

namespace platform::qt {

void InstallMessageBoxes() {
    platform::SetMessageBoxHandler([](const std::string& text, const std::string& title) {
        // No parent: the box stays usable while the installer window is disabled.
        QMessageBox box(QMessageBox::NoIcon, ToQString(title), ToQString(text), QMessageBox::Ok);
        box.setWindowIcon(ProgramIcon());
        box.exec();
    });
}

}  // namespace platform::qt
