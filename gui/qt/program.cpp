#include "gui/qt/program.h"

#include <utility>

#include "gui/qt/bundled_plugins.h"
#include "gui/qt/gui_runtime.h"

namespace gui::qt {

void QtServices::ShowMessage(const std::string& text, const std::string& title) {
    ShowMessageBox(text, title);
}

platform::Answer QtServices::AskYesNo(const std::string& text, const std::string& title) {
    return AskQuestionBox(text, title) ? platform::Answer::Yes : platform::Answer::No;
}

void StartApplication(std::optional<QApplication>& application, int& argc, char** argv,
                      AfterApplication afterApplication) {
    UseBundledPlugins();
    application.emplace(argc, argv);
    if (afterApplication != nullptr) {
        afterApplication();
    }
    InstallGuiRuntime();
}

int RunProgram(int& argc, char** argv, const WindowMaker& makeWindow,
               AfterApplication afterApplication,
               std::function<int(platform::ExitStatus)> exitCodes) {
    // Outlives the guard below, so that the error box can still be shown.
    std::optional<QApplication> application;
    QtServices services;
    if (exitCodes) {
        services.SetExitCodes(std::move(exitCodes));
    }
    return platform::RunHandler(services, [&] {
        StartApplication(application, argc, argv, afterApplication);
        return RunWindow(services, makeWindow);
    });
}

}  // namespace gui::qt
