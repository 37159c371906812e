#include <memory>
#include <utility>

#include "launcher/qt/launcher_window.h"
#include "platform/qt/program_entry.h"

int main(int argc, char* argv[]) {
    return platform::qt::RunProgram(argc, argv, [](platform::Layout layout) {
        return std::make_unique<launcher::LauncherWindow>(std::move(layout));
    });
}
