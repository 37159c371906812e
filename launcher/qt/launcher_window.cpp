#include "launcher/qt/launcher_window.h"

#include <QApplication>

#include "platform/qt/gui_runtime.h"
#include "platform/runtime_error.h"

namespace launcher {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kClientWidth = 4680;
constexpr int kClientHeight = 3090;

}  // namespace

LauncherWindow::LauncherWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setWindowIcon(platform::qt::ProgramIcon());
    resize(kClientWidth / kTwipsPerPixel, kClientHeight / kTwipsPerPixel);
}

int ShowLoadOutcome(const platform::RuntimeError* failure) {
    if (failure != nullptr) {
        platform::ReportUnhandled(*failure);
    }
    LauncherWindow window;
    window.show();
    return QApplication::exec();
}

}  // namespace launcher
