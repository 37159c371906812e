#include "platform/qt/gui_runtime.h"

namespace platform::qt {

QIcon ProgramIcon() {
    return QIcon(QStringLiteral(":/program.ico"));
}

}  // namespace platform::qt
