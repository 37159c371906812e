#include "gui/qt/bundled_plugins.h"

#include <string>

#include <QCoreApplication>
#include <QFileInfo>
#include <QString>

#include "platform/embedded_module.h"

namespace gui::qt {

void UseBundledPlugins() {
    const std::string origin = platform::FolderOfLoadedLibrary(VELMORA_QT_CORE_LIBRARY);
    if (origin.empty()) {
        return;
    }
    const QString folder = QString::fromLocal8Bit(origin);
    if (QFileInfo(folder + QStringLiteral("/platforms")).isDir()) {
        QCoreApplication::setLibraryPaths({folder});
    }
}

}  // namespace gui::qt
