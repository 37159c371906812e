#pragma once

#include <functional>
#include <optional>
#include <string>

#include <QApplication>

#include "gui/qt/program_entry.h"
#include "platform/system_services.h"

namespace gui::qt {

// The system's services with Qt's message and question boxes.
class QtServices : public platform::SystemServices {
public:
    void ShowMessage(const std::string& text, const std::string& title) override;
    platform::Answer AskYesNo(const std::string& text, const std::string& title) override;
};

// What a program does once its QApplication exists, before anything else of Qt.
using AfterApplication = void (*)();

// The application object, as every Qt program of this system makes it: with the plugins of the
// toolkit bundled beside the program where that is the Qt the loader took, then afterApplication
// (when there is one), then its fonts and icon.
void StartApplication(std::optional<QApplication>& application, int& argc, char** argv,
                      AfterApplication afterApplication = nullptr);

// A Qt program's main: the application, its runtime and services, then RunWindow. Returns the
// exit code; where the program ends otherwise, exitCodes, when given, says with which.
int RunProgram(int& argc, char** argv, const WindowMaker& makeWindow,
               AfterApplication afterApplication = nullptr,
               std::function<int(platform::ExitStatus)> exitCodes = {});

}  // namespace gui::qt
