#include "gui/qt/gui_runtime.h"

#include <QImageReader>

namespace gui::qt {

QPixmap Picture(const QString& resource) {
    QImageReader reader(resource, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const auto* file : {":/program16.png", ":/program32.png", ":/program48.png"}) {
        icon.addPixmap(Picture(QString::fromLatin1(file)));
    }
    return icon;
}

}  // namespace gui::qt
