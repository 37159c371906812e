#include "platform/qt/program_entry.h"

#include <optional>

#include <QApplication>

#include "platform/qt/bundled_plugins.h"
#include "platform/qt/gui_runtime.h"
#include "platform/runtime_error.h"

namespace platform::qt {

int RunProgram(int& argc, char** argv, const WindowMaker& makeWindow) {
    // Outlives the guard below, so that the error box can still be shown.
    std::optional<QApplication> application;
    return RunHandler([&] {
        UseBundledPlugins();
        application.emplace(argc, argv);
        InstallGuiRuntime();
        return RunWindow(makeWindow);
    });
}

int RunWindow(const WindowMaker& makeWindow) {
    return RunHandler([&makeWindow] {
        const std::unique_ptr<QWidget> window = makeWindow(NativeLayout());
        window->show();
        return QApplication::exec();
    });
}

}  // namespace platform::qt
