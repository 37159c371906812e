#pragma once

#include <memory>

#include <QWidget>

#include "platform/services.h"

namespace launcher {

// The launcher's bare window: it stays until the user closes it.
class LauncherWindow : public QWidget {
public:
    explicit LauncherWindow(QWidget* parent = nullptr);
};

// What the user sees once the load work is done: the run-time error box when it failed (and the
// program ends), else the window.
std::unique_ptr<QWidget> WindowAfterLoad(platform::Services& services,
                                         const platform::RuntimeError* failure);

}  // namespace launcher
