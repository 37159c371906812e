#pragma once

#include <functional>
#include <memory>

#include <QWidget>

#include "platform/layout.h"
#include "platform/services.h"

namespace gui::qt {

using WindowMaker = std::function<std::unique_ptr<QWidget>(platform::Services& services,
                                                           const platform::Layout& layout)>;

// The program's one window, made from the native layout, shown until the program ends. Any
// failure on the way, the window's construction included, ends in the runtime's error box.
int RunWindow(platform::Services& services, const WindowMaker& makeWindow);

}  // namespace gui::qt
