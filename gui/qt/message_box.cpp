#include <QMessageBox>

#include "gui/qt/gui_runtime.h"

namespace gui::qt {

void ShowMessageBox(const std::string& text, const std::string& title) {
    // No parent: the box stays usable while the installer window is disabled.
    QMessageBox box(QMessageBox::NoIcon, ToQString(title), ToQString(text), QMessageBox::Ok);
    box.setWindowIcon(ProgramIcon());
    box.exec();
}

bool AskQuestionBox(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::Question, ToQString(title), ToQString(text),
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.setWindowIcon(ProgramIcon());
    return box.exec() == QMessageBox::Yes;
}

}  // namespace gui::qt
