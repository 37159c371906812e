#pragma once

#include <QWidget>

#include "launcher/core/launcher_form.h"
#include "platform/layout.h"

namespace launcher {

// The launcher's bare window. Its load handler does all the launcher's work before the window is
// first shown; the window then stays until the user closes it.
class LauncherWindow : public QWidget {
public:
    explicit LauncherWindow(platform::Layout layout, QWidget* parent = nullptr);

    void setVisible(bool visible) override;

private:
    Form1 form_;
    bool loaded_ = false;
};

}  // namespace launcher
