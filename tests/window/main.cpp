#include <gtest/gtest.h>

#include <QApplication>

#include "gui/qt/accessibility.h"
#include "gui/qt/gui_runtime.h"

int main(int argc, char* argv[]) {
    // Test discovery runs this program too, where no display need exist.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    gui::qt::InstallFontSubstitutes();
    gui::qt::InstallAccessibility();
    return RUN_ALL_TESTS();
}
