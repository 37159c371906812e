#pragma once

#include <QWidget>

namespace platform {
class RuntimeError;
}

namespace launcher {

// The launcher's bare window: it stays until the user closes it.
class LauncherWindow : public QWidget {
public:
    explicit LauncherWindow(QWidget* parent = nullptr);
};

// What the user sees once the load work is done and the application started: the run-time
// error box when the work failed (and the program ends), else the window until it is closed.
// Needs the QApplication; returns the exit code.
int ShowLoadOutcome(const platform::RuntimeError* failure);

}  // namespace launcher
