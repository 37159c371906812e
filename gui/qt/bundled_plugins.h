#pragma once

namespace gui::qt {

// When the loaded Qt is one bundled with the program (its folder holds the platform plugins),
// makes that folder the only place Qt looks for plugins: the system's were built for the system's
// Qt. Call before the application object exists.
void UseBundledPlugins();

}  // namespace gui::qt
