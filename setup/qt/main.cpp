#include <memory>
#include <utility>

#include "platform/qt/font_configuration.h"
#include "platform/qt/program_entry.h"
#include "setup/qt/setup_window.h"

int main(int argc, char* argv[]) {
    const std::jthread fonts = platform::qt::ReadFontConfigurationAhead();
    return platform::qt::RunProgram(argc, argv, [](platform::Layout layout) {
        return std::make_unique<setup::SetupWindow>(std::move(layout));
    });
}
