#include "setup/qt/folder_list.h"

#include <QByteArray>
#include <QListWidgetItem>
#include <QSize>

#include "gui/qt/gui_runtime.h"
#include "platform/platform.h"

namespace setup {

namespace {

constexpr int kIconSize = 16;

}  // namespace

FolderList::FolderList(QWidget* parent) : QListWidget(parent), browser_(platform::CurrentFolder()) {
    // The theme's open and closed folder icons come in different sizes.
    setIconSize(QSize(kIconSize, kIconSize));
    Show();
}

void FolderList::OpenItem(const QListWidgetItem* item) {
    Moved(browser_.OpenLine(static_cast<std::size_t>(row(item))));
}

void FolderList::Assign(const std::string& value) {
    Moved(browser_.Assign(value));
}

void FolderList::Moved(bool changed) {
    Show();
    if (changed) {
        Q_EMIT PathChanged();
    }
}

// A name that is not valid text shows as well as it can; a line opens its folder by the
// browser's bytes, which each item also carries.
void FolderList::Show() {
    clear();
    const auto& lines = browser_.Lines();
    for (std::size_t line = 0; line < lines.size(); ++line) {
        auto* item =
            new QListWidgetItem(line <= browser_.CurrentLine() ? openFolder_ : closedFolder_,
                                gui::qt::ToQString(lines[line].text), this);
        item->setData(Qt::UserRole, QByteArray::fromStdString(lines[line].folder));
        // The indent shows the depth; a screen reader hears the name, then the whole path.
        item->setData(Qt::AccessibleTextRole, item->text().trimmed());
        item->setData(Qt::AccessibleDescriptionRole, gui::qt::ToQString(lines[line].folder));
    }
    // Enter on the current folder opens nothing new.
    setCurrentRow(static_cast<int>(browser_.CurrentLine()));
}

}  // namespace setup
