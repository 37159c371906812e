#include <memory>
#include <utility>

#include "gui/qt/desktop_accessibility_bus.h"
#include "gui/qt/font_configuration.h"
#include "gui/qt/program.h"
#include "setup/qt/setup_window.h"

int main(int argc, char* argv[]) {
    const std::jthread fonts = gui::qt::ReadFontConfigurationAhead();
    return gui::qt::RunProgram(
        argc, argv,
        [](platform::Services& services, const platform::Layout& layout) {
            return std::make_unique<setup::SetupWindow>(services, layout);
        },
        gui::qt::ReachDesktopAccessibilityBus);
}
