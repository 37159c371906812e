#pragma once

#include <string>

#include <QIcon>
#include <QString>

// What a Qt program of this system needs from the runtime around its window: message boxes,
// fonts for the layout's family names, and the program icon.
namespace platform::qt {

// All of the below; call once, after the QApplication and the resources exist.
void InstallGuiRuntime();

// Every message box becomes a modal Qt box with an OK button only.
void InstallMessageBoxes();
// The layout names Windows fonts; map them to fonts a Linux desktop has.
void InstallFontSubstitutes();

QIcon ProgramIcon();

inline QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace platform::qt
