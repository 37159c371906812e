#pragma once

#include <string>

#include <QIcon>
#include <QListWidget>

#include "gui/qt/gui_runtime.h"
#include "setup/core/folder_browser.h"

namespace setup {

// The folder list, drawn from a FolderBrowser's lines: the parent folders with an open folder's
// icon, the subfolders with a closed one. Double-click or Enter activates an item, which the
// window opens through OpenItem; a single click only selects. It starts at the current folder.
class FolderList : public QListWidget {
    Q_OBJECT

public:
    explicit FolderList(QWidget* parent = nullptr);

    std::string Path() const { return browser_.Path(); }
    // A drive moves the list to that drive's current folder; any other value is a folder path.
    void Assign(const std::string& value);
    // Opens the folder of an activated item; raises when it cannot be read.
    void OpenItem(const QListWidgetItem* item);

Q_SIGNALS:
    void PathChanged();

private:
    void Show();
    void Moved(bool changed);

    FolderBrowser browser_;
    // Our own pictures: the style's come from the desktop's icon theme, whose lookup costs more
    // than building the rest of the window.
    QIcon openFolder_{gui::qt::Picture(QStringLiteral(":/folder-open.png"))};
    QIcon closedFolder_{gui::qt::Picture(QStringLiteral(":/folder-closed.png"))};
};

}  // namespace setup
