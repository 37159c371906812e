#include "setup/qt/folder_list.h"

#include <algorithm>
#include <vector>

#include <QDir>
#include <QFileInfo>
#include <QListWidgetItem>
#include <QSize>
#include <QStringList>
#include <QStyle>

#include "platform/platform.h"
#include "platform/qt/gui_runtime.h"

namespace setup {

namespace {

constexpr int kIndentPerLevel = 2;
constexpr int kIconSize = 16;

bool IsSeparator(QChar c) {
    return c == u'/' || c == u'\\';
}

// "/srv/data" gives "/", "/srv", "/srv/data"; "C:\Data" gives "C:\", "C:\Data".
QStringList FoldersDownTo(const QString& path) {
    QStringList chain;
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!IsSeparator(path[i])) {
            continue;
        }
        if (chain.isEmpty()) {
            chain << path.left(i + 1);
        } else if (i > start) {
            chain << path.left(i);
        }
        start = i + 1;
    }
    if (start < path.size() || chain.isEmpty()) {
        chain << path;
    }
    return chain;
}

QString LastName(const QString& path) {
    const auto found = std::find_if(path.crbegin(), path.crend(), IsSeparator);
    return path.mid(std::distance(found, path.crend()));
}

QString Child(const QString& folder, const QString& name) {
    if (!folder.isEmpty() && IsSeparator(folder.back())) {
        return folder + name;
    }
    return folder + QDir::separator() + name;
}

}  // namespace

FolderList::FolderList(QWidget* parent)
    : QListWidget(parent), path_(platform::qt::ToQString(platform::CurrentFolder())) {
    // The theme's open and closed folder icons come in different sizes.
    setIconSize(QSize(kIconSize, kIconSize));
    ShowFolder();
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const QString folder = item->data(Qt::UserRole).toString();
        platform::RunHandler([this, &folder] { Open(folder); });
    });
}

std::string FolderList::Path() const {
    return path_.toStdString();
}

void FolderList::Assign(const std::string& value) {
    const std::vector<std::string> drives = platform::Drives();
    if (std::find(drives.begin(), drives.end(), value) != drives.end()) {
        Open(platform::qt::ToQString(platform::CurrentFolderOfDrive(value)));
    } else {
        Open(platform::qt::ToQString(value));
    }
}

void FolderList::Open(const QString& folder) {
    if (!QFileInfo(folder).isDir()) {
        throw platform::RuntimeError(platform::error::kPathNotFound, "Path not found");
    }
    const bool changed = folder != path_;
    path_ = folder;
    ShowFolder();
    if (changed) {
        Q_EMIT PathChanged();
    }
}

void FolderList::ShowFolder() {
    clear();
    const QStringList chain = FoldersDownTo(path_);
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    for (int depth = 0; depth < chain.size(); ++depth) {
        const QString& folder = chain[depth];
        AddFolder(folder, depth == 0 ? folder : LastName(folder), depth, open);
    }
    // Enter on the current folder opens nothing new.
    setCurrentRow(static_cast<int>(chain.size()) - 1);

    const QIcon closed = style()->standardIcon(QStyle::SP_DirIcon);
    const QStringList names =
        QDir(path_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        AddFolder(Child(path_, name), name, static_cast<int>(chain.size()), closed);
    }
}

void FolderList::AddFolder(const QString& path, const QString& name, int depth, const QIcon& icon) {
    auto* item = new QListWidgetItem(icon, QString(depth * kIndentPerLevel, u' ') + name, this);
    item->setData(Qt::UserRole, path);
}

}  // namespace setup
