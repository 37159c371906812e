#include "gui/qt/program.h"

#include <optional>

#include <QApplication>

#include "gui/qt/bundled_plugins.h"
#include "gui/qt/gui_runtime.h"

namespace gui::qt {

void QtServices::ShowMessage(const std::string& text, const std::string& title) {
    ShowMessageBox(text, title);
}

platform::Answer QtServices::AskYesNo(const std::string& text, const std::string& title) {
    return AskQuestionBox(text, title) ? platform::Answer::Yes : platform::Answer::No;
}

int RunProgram(int& argc, char** argv, const WindowMaker& makeWindow,
               AfterApplication afterApplication) {
    // Outlives the guard below, so that the error box can still be shown.
    std::optional<QApplication> application;
    QtServices services;
    return platform::RunHandler(services, [&] {
        UseBundledPlugins();
        application.emplace(argc, argv);
        if (afterApplication != nullptr) {
            afterApplication();
        }
        InstallGuiRuntime();
        return RunWindow(services, makeWindow);
    });
}

}  // namespace gui::qt
