#include "tests/window/setup_window_fixture.h"

#include <stdexcept>

#include <QApplication>
#include <QTest>

#include "platform/platform.h"
#include "setup/core/installation_files.h"

namespace window_testing {

using namespace testing_support;

SetupWindowTest::SetupWindowTest()
    : layout(platform::LayoutRootedIn(root.Path())), working(root / "medium") {
    MakeFolders(working + "/Target");
    for (const auto name : setup::kInstallationFiles) {
        WriteFile(working + "/" + std::string(name), "bytes of " + std::string(name), 0755);
    }
    // The profile folder holds the application folder.
    MakeFolders(layout.applicationFolder.substr(0, layout.applicationFolder.rfind('/')));
    platform::ChangeFolder(working);
}

void SetupWindowTest::Open() {
    window = std::make_unique<setup::SetupWindow>(services, layout);
    window->show();
}

void SetupWindowTest::OpenActive() {
    Open();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get())) {
        throw std::runtime_error("the installer window never became active");
    }
}

void SetupWindowTest::PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

QString SetupWindowTest::FocusName() {
    const QWidget* focus = QApplication::focusWidget();
    return focus != nullptr ? focus->objectName() : QStringLiteral("<none>");
}

std::vector<std::string> SetupWindowTest::Log() const {
    return LogTexts(working + "/Install.log");
}

}  // namespace window_testing
