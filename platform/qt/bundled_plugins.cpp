#include "platform/qt/bundled_plugins.h"

#include <climits>

#include <dlfcn.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QString>
#include <QStringList>

namespace platform::qt {

void UseBundledPlugins() {
    // The library that is loaded, wherever the loader found it.
    void* core = ::dlopen(VELMORA_QT_CORE_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    if (core == nullptr) {
        return;
    }
    char origin[PATH_MAX] = {};
    const bool found = ::dlinfo(core, RTLD_DI_ORIGIN, origin) == 0;
    ::dlclose(core);
    if (!found) {
        return;
    }
    const QString folder = QString::fromLocal8Bit(origin);
    if (QFileInfo(folder + QStringLiteral("/platforms")).isDir()) {
        QCoreApplication::setLibraryPaths({folder});
    }
}

}  // namespace platform::qt
