#include "gui/qt/program_entry.h"

#include <QApplication>

namespace gui::qt {

int RunWindow(platform::Services& services, const WindowMaker& makeWindow) {
    return platform::RunHandler(services, [&services, &makeWindow] {
        const std::unique_ptr<QWidget> window = makeWindow(services, platform::NativeLayout());
        window->show();
        return QApplication::exec();
    });
}

}  // namespace gui::qt
