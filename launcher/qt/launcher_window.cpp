#include "launcher/qt/launcher_window.h"

#include <utility>

#include "platform/qt/gui_runtime.h"
#include "platform/runtime_error.h"
#include "platform/window_units.h"

namespace launcher {

LauncherWindow::LauncherWindow(platform::Layout layout, QWidget* parent)
    : QWidget(parent), form_(std::move(layout)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(kWindowCaption.data(), kWindowCaption.size()));
    setWindowIcon(platform::qt::ProgramIcon());
    resize(platform::Pixels(kClientWidth), platform::Pixels(kClientHeight));
}

void LauncherWindow::setVisible(bool visible) {
    if (visible && !std::exchange(loaded_, true)) {
        platform::RunHandler([this] { form_.Form_Load(); });
    }
    QWidget::setVisible(visible);
}

}  // namespace launcher
