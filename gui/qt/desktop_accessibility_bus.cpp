#include "gui/qt/desktop_accessibility_bus.h"

#include <memory>

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <qpa/qplatformnativeinterface.h>
#include <QByteArray>
#include <QGuiApplication>
#include <QLatin1String>
#include <QMetaObject>
#include <QObject>

#include "platform/elevation.h"

namespace gui::qt {

namespace {

constexpr char kBusVariable[] = "AT_SPI_BUS_ADDRESS";

// What the user's bus launcher wrote on the root window of the X display (also Xwayland's).
QByteArray RootWindowBus() {
    if (!QGuiApplication::platformName().startsWith(QLatin1String("xcb"))) {
        return {};
    }
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (native == nullptr) {
        return {};
    }
    // The xcb plugin hands over a copy for the caller to free.
    const std::unique_ptr<QByteArray> address(
        static_cast<QByteArray*>(native->nativeResourceForIntegration("AtspiBus")));
    return address != nullptr ? *address : QByteArray();
}

// Qt 6.4 connects to a bus given in the environment inside its bridge's constructor and
// announces it there, before the bridge listens, so the bridge stays off. Telling the bridge
// again, once it is made, turns it on; a bridge already on takes it as a no-op. This is Qt's
// private API, and so for the Qt the programs are built and shipped with only.
void TurnOnBridge() {
    QPlatformIntegration* integration = QGuiApplicationPrivate::platformIntegration();
    auto* bridge =
        dynamic_cast<QObject*>(integration != nullptr ? integration->accessibility() : nullptr);
    if (bridge == nullptr || bridge->metaObject()->indexOfSlot("enabledChanged(bool)") < 0) {
        return;
    }
    QMetaObject::invokeMethod(bridge, "enabledChanged", Q_ARG(bool, true));
}

}  // namespace

void ReachDesktopAccessibilityBus() {
    bool taken = false;
    if (qEnvironmentVariableIsEmpty(kBusVariable) && platform::RunsAsRoot()) {
        const QByteArray address = RootWindowBus();
        taken = !address.isEmpty() && qputenv(kBusVariable, address);
    }
    if (qEnvironmentVariableIsEmpty(kBusVariable)) {
        return;
    }
    TurnOnBridge();
    // Programs started later (the Java probe, the menu tools) need not inherit what we found.
    if (taken) {
        qunsetenv(kBusVariable);
    }
}

}  // namespace gui::qt
