#include <memory>
#include <utility>

#include "gui/win32/program_entry.h"
#include "platform/system_services.h"
#include "setup/win32/setup_window.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int showCommand) {
    platform::SystemServices services;
    return gui::win32::RunProgram(services, showCommand,
                                  [](platform::Services& services, const platform::Layout& layout) {
                                      return std::make_unique<setup::Win32Window>(services, layout);
                                  });
}
