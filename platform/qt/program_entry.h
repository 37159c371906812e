#pragma once

#include <functional>
#include <memory>

#include <QWidget>

#include "platform/layout.h"

namespace platform::qt {

using WindowMaker = std::function<std::unique_ptr<QWidget>(Layout layout)>;

// A Qt program's main: the application and its runtime, then RunWindow. Returns the exit code.
int RunProgram(int& argc, char** argv, const WindowMaker& makeWindow);

// The program's one window, made from the native layout, shown until the program ends. Any
// failure on the way, the window's construction included, ends in the runtime's error box.
int RunWindow(const WindowMaker& makeWindow);

}  // namespace platform::qt
