#include "setup/qt/drive_list.h"

#include <cstddef>
#include <vector>

#include "platform/platform.h"
#include "platform/qt/gui_runtime.h"

namespace setup {

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

bool Contains(const std::string& drive, const std::string& folder) {
    if (!folder.starts_with(drive)) {
        return false;
    }
    return folder.size() == drive.size() || IsSeparator(drive.back()) ||
           IsSeparator(folder[drive.size()]);
}

// Volumes nest (/ holds /home), so the innermost, longest mount point wins.
int DriveHolding(const std::vector<std::string>& drives, const std::string& folder) {
    int found = 0;
    std::size_t foundLength = 0;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        if (!drives[i].empty() && Contains(drives[i], folder) && drives[i].size() > foundLength) {
            found = static_cast<int>(i);
            foundLength = drives[i].size();
        }
    }
    return found;
}

}  // namespace

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    const std::vector<std::string> drives = platform::Drives();
    for (const auto& drive : drives) {
        addItem(platform::qt::ToQString(drive));
    }
    setCurrentIndex(DriveHolding(drives, platform::CurrentFolder()));
}

std::string DriveList::Drive() const {
    return currentText().toStdString();
}

}  // namespace setup
