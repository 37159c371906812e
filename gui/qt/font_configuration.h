#pragma once

#include <thread>

namespace gui::qt {

// Starts reading the system's font configuration on a thread of its own. The first text a window
// measures waits for that reading; begun before the QApplication, it overlaps the application's
// connection to the display. Keep the thread until the program ends.
std::jthread ReadFontConfigurationAhead();

}  // namespace gui::qt
