#pragma once

namespace gui::qt {

// Lets the window reach the desktop user's accessibility bus when the program runs as root in
// that user's session (sudo, pkexec), where the user's session bus refuses root and so cannot
// name the bus: it takes the bus from AT_SPI_BUS_ADDRESS, or else from the X root window's
// AT_SPI_BUS, which the user's bus launcher sets. Call after the QApplication is made and before
// any widget: Qt connects to the bus when the first widget asks for it.
void ReachDesktopAccessibilityBus();

}  // namespace gui::qt
