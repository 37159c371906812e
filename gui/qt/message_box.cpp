#include <QLabel>
#include <QMessageBox>

#include "gui/qt/gui_runtime.h"

namespace gui::qt {

namespace {

// A screen reader lists the box's picture as a label of its own: a box without a picture keeps
// an empty one, which would be heard as a nameless label, and the question mark is named.
void NamePicture(QMessageBox& box, const QString& name) {
    auto* picture = box.findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"));
    if (picture == nullptr) {
        return;
    }
    if (name.isEmpty()) {
        picture->hide();
    } else {
        picture->setAccessibleName(name);
    }
}

}  // namespace

void ShowMessageBox(const std::string& text, const std::string& title) {
    // No parent: the box stays usable while the installer window is disabled.
    QMessageBox box(QMessageBox::NoIcon, ToQString(title), ToQString(text), QMessageBox::Ok);
    box.setWindowIcon(ProgramIcon());
    NamePicture(box, {});
    box.exec();
}

bool AskQuestionBox(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::Question, ToQString(title), ToQString(text),
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.setWindowIcon(ProgramIcon());
    NamePicture(box, QStringLiteral("Question"));
    return box.exec() == QMessageBox::Yes;
}

}  // namespace gui::qt
