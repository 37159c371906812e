#include "launcher/qt/launcher_window.h"

#include "gui/qt/gui_runtime.h"
#include "launcher/core/launcher_form.h"
#include "platform/runtime_error.h"
#include "platform/window_units.h"

namespace launcher {

LauncherWindow::LauncherWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(kWindowCaption.data(), kWindowCaption.size()));
    setWindowIcon(gui::qt::ProgramIcon());
    setAccessibleDescription(QString::fromUtf8(kWindowAccessibleDescription.data(),
                                               kWindowAccessibleDescription.size()));
    resize(platform::Pixels(kClientWidth), platform::Pixels(kClientHeight));
}

std::unique_ptr<QWidget> WindowAfterLoad(platform::Services& services,
                                         const platform::RuntimeError* failure) {
    if (failure != nullptr) {
        platform::ReportUnhandled(services, *failure);
    }
    return std::make_unique<LauncherWindow>();
}

}  // namespace launcher
