#include "gui/qt/font_configuration.h"

#include <system_error>

#include <fontconfig/fontconfig.h>

namespace gui::qt {

std::jthread ReadFontConfigurationAhead() {
    try {
        return std::jthread([] { FcInit(); });
    } catch (const std::system_error&) {
        return {};  // Qt reads it when it first needs it.
    }
}

}  // namespace gui::qt
