#include "launcher/qt/launcher_window.h"

#include <utility>

#include "platform/qt/gui_runtime.h"
#include "platform/runtime_error.h"

namespace launcher {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kClientWidth = 4680;
constexpr int kClientHeight = 3090;

}  // namespace

LauncherWindow::LauncherWindow(platform::Layout layout, QWidget* parent)
    : QWidget(parent), form_(std::move(layout)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setWindowIcon(platform::qt::ProgramIcon());
    resize(kClientWidth / kTwipsPerPixel, kClientHeight / kTwipsPerPixel);
}

void LauncherWindow::setVisible(bool visible) {
    if (visible && !std::exchange(loaded_, true)) {
        platform::RunHandler([this] { form_.Form_Load(); });
    }
    QWidget::setVisible(visible);
}

}  // namespace launcher
