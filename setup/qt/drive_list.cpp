#include "setup/qt/drive_list.h"

#include "gui/qt/gui_runtime.h"
#include "platform/platform.h"
#include "setup/core/folder_browser.h"

namespace setup {

DriveList::DriveList(QWidget* parent) : QComboBox(parent), drives_(platform::Drives()) {
    for (const auto& drive : drives_) {
        addItem(gui::qt::ToQString(drive));
    }
    const auto holding = DriveHolding(drives_, platform::CurrentFolder());
    setCurrentIndex(static_cast<int>(holding.value_or(0)));
}

std::string DriveList::Drive() const {
    const int index = currentIndex();
    return index >= 0 ? drives_[static_cast<std::size_t>(index)] : std::string();
}

}  // namespace setup
