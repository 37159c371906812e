#include "gui/qt/accessibility.h"

#include <algorithm>
#include <cmath>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QColor>
#include <QFocusFrame>
#include <QMessageBox>
#include <QPalette>
#include <QString>
#include <QWidget>

namespace gui::qt {

namespace {

// Qt 6.4 gives a message box the role of any dialog. A Qt whose own interface makes it an alert
// is asked first, and keeps it.
QAccessibleInterface* AlertForMessageBox(const QString& className, QObject* object) {
    if (className != QLatin1String("QMessageBox")) {
        return nullptr;
    }
    auto* box = qobject_cast<QMessageBox*>(object);
    return box != nullptr ? new QAccessibleWidget(box, QAccessible::AlertMessage) : nullptr;
}

// The relative luminance and contrast ratio of the web's accessibility guidelines.
double Luminance(const QColor& colour) {
    const auto linear = [](double channel) {
        return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double lighter = std::max(Luminance(a), Luminance(b));
    const double darker = std::min(Luminance(a), Luminance(b));
    return (lighter + 0.05) / (darker + 0.05);
}

QColor RingColourOn(const QColor& background) {
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
}

namespace {

// One ring a window, moved to each control that takes the focus. The ring lies on the control's
// parent, around the control, in the colour that stands out most from the parent's background:
// the laid-out backgrounds stay what they are under a dark desktop theme, the desktop's own
// colours do not.
void RingFocus(QWidget* focus) {
    if (focus == nullptr || focus->isWindow()) {
        return;
    }
    QWidget* window = focus->window();
    auto* ring = window->findChild<QFocusFrame*>();
    if (ring == nullptr) {
        ring = new QFocusFrame(window);
    }
    ring->setWidget(focus);
    const QWidget* around = focus->parentWidget();
    const QColor colour = RingColourOn(around->palette().color(around->backgroundRole()));
    QPalette palette = ring->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::WindowText, colour);
    }
    ring->setPalette(palette);
}

}  // namespace

void InstallAccessibility() {
    QAccessible::installFactory(AlertForMessageBox);
    QObject::connect(qApp, &QApplication::focusChanged, qApp,
                     [](QWidget* /*previous*/, QWidget* now) { RingFocus(now); });
}

}  // namespace gui::qt
