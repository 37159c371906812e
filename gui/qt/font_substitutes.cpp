#include <QFont>
#include <QStringList>

#include "gui/qt/gui_runtime.h"

namespace gui::qt {

void InstallFontSubstitutes() {
    const QString sans = QStringLiteral("Liberation Sans");
    const QString serif = QStringLiteral("Liberation Serif");
    const QString wideSans = QStringLiteral("DejaVu Sans");
    // Metric-compatible where one exists; Verdana and Arial Black are wider than Arial.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), {sans, wideSans});
    QFont::insertSubstitutions(QStringLiteral("Verdana"), {wideSans, sans});
    QFont::insertSubstitutions(QStringLiteral("Arial Black"), {wideSans, sans});
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               {serif, QStringLiteral("DejaVu Serif")});
}

}  // namespace gui::qt
