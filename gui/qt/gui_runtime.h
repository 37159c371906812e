#pragma once

#include <string>

#include <QIcon>
#include <QPixmap>
#include <QString>

// What a Qt program of this system needs from the runtime around its window: a message box,
// fonts for the layout's family names, its pictures and the program icon.
namespace gui::qt {

// Fonts, the program icon and what assistive technology needs (gui/qt/accessibility.h); call
// once, after the QApplication and the resources exist.
void InstallGuiRuntime();

// A modal Qt box with an OK button only.
void ShowMessageBox(const std::string& text, const std::string& title);
// A modal Qt question box with Yes and No, No the default (Enter and Escape answer No); true for
// Yes.
bool AskQuestionBox(const std::string& text, const std::string& title);
// The layout names Windows fonts; map them to fonts a Linux desktop has.
void InstallFontSubstitutes();

// A PNG picture of the resources, read by Qt's own reader: left to guess the format, the reader
// loads every picture-format plugin first, which costs a start-up more than all its pictures.
QPixmap Picture(const QString& resource);
// Its sizes are PNG pictures for the same reason.
QIcon ProgramIcon();

inline QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace gui::qt
