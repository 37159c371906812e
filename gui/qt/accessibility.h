#pragma once

class QColor;

// What every window of these programs needs to be usable without sight or without a mouse.
namespace gui::qt {

// Message boxes take the alert role, so that a screen reader reads one out whole when it
// appears, and whatever control has the keyboard focus wears a ring that contrasts with what
// lies around it, however it got the focus. Call once, after the QApplication exists.
void InstallAccessibility();

// The contrast ratio of two colours (1 to 21), as the web's accessibility guidelines define it.
double ContrastRatio(const QColor& a, const QColor& b);
// Black or white, whichever stands out more on background.
QColor RingColourOn(const QColor& background);

}  // namespace gui::qt
