#pragma once

#include <string>

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

// A Qt program's main: the application, its runtime and services, then RunWindow. Returns the
// exit code.
int RunProgram(int& argc, char** argv, const WindowMaker& makeWindow,
               AfterApplication afterApplication = nullptr);

}  // namespace gui::qt
