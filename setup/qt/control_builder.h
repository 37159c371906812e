#pragma once

#include <QString>

class QWidget;

namespace setup {

// Creates the installer window's controls from the control table: each named after its row, at
// its laid-out place on the window or inside Frame1, with the table's font and colours, in the
// table's tab order, with the table's accessible names. The destination box starts with
// destinationText.
void BuildControls(QWidget& window, const QString& destinationText);

}  // namespace setup
