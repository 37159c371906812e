#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "platform/qt/gui_runtime.h"

namespace platform::qt {

void InstallImmediateEnd() {
    platform::SetEndAction([] {
        std::fflush(nullptr);
        std::_Exit(0);
    });
}

}  // namespace platform::qt
