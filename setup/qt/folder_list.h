#pragma once

#include <string>

#include <QListWidget>
#include <QString>

namespace setup {

// The folder list: the path's parent folders from the root down, then the subfolders of the
// current folder, indented as a tree. Double-click or Enter opens a folder. It starts at the
// current folder and only browses: the process's current folder never changes.
class FolderList : public QListWidget {
    Q_OBJECT

public:
    explicit FolderList(QWidget* parent = nullptr);

    std::string Path() const;
    // A drive moves the list to that drive's current folder; any other value is a folder path.
    void Assign(const std::string& value);

Q_SIGNALS:
    void PathChanged();

private:
    void Open(const QString& folder);
    void ShowFolder();
    void AddFolder(const QString& path, const QString& name, int depth, const QIcon& icon);

    QString path_;
};

}  // namespace setup
