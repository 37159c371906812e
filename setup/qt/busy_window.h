#pragma once

#include <QPointer>

class QWidget;

namespace setup {

// While it lives, the window takes no input and shows the busy cursor; both come back, with
// the focus, when it goes.
class BusyWindow {
public:
    explicit BusyWindow(QWidget& window);
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;
    ~BusyWindow();

private:
    QWidget& window_;
    QPointer<QWidget> focus_;
};

}  // namespace setup
