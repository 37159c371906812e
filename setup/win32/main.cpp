#include <exception>

#include "platform/layout.h"
#include "platform/runtime_error.h"
#include "platform/win32/gui.h"
#include "setup/win32/setup_window.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int showCommand) {
    try {
        setup::Win32Window window(platform::NativeLayout());
        window.LoadAndShow(showCommand);
        return platform::win32::RunMessageLoop(window.Handle());
    } catch (const std::exception& failure) {
        platform::ReportUnhandled(
            platform::RuntimeError(platform::win32::kInternalError, failure.what()));
    }
}
