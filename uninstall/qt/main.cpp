#include <optional>

#include <QApplication>

#include "gui/qt/desktop_accessibility_bus.h"
#include "gui/qt/program.h"
#include "platform/layout.h"
#include "uninstall/core/uninstaller.h"

// No window of its own: the question, then the account of what was done, each in a box.
int main(int argc, char* argv[]) {
    std::optional<QApplication> application;
    gui::qt::QtServices services;
    return platform::RunHandler(services, [&]() -> int {
        gui::qt::StartApplication(application, argc, argv,
                                  gui::qt::ReachDesktopAccessibilityBus);
        uninstall::Uninstaller(services, platform::NativeLayout()).Run();
    });
}
