#include "setup/qt/busy_window.h"

#include <QApplication>
#include <QWidget>

namespace setup {

BusyWindow::BusyWindow(QWidget& window) : window_(window), focus_(window.focusWidget()) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    window_.setEnabled(false);
}

BusyWindow::~BusyWindow() {
    window_.setEnabled(true);
    if (focus_ != nullptr) {
        focus_->setFocus();
    }
    QApplication::restoreOverrideCursor();
}

}  // namespace setup
