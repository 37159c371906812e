#pragma once

#include <string>
#include <vector>

#include <QComboBox>

namespace setup {

// The drive list: the mounted volumes, starting at the one that holds the current folder. Its
// current drive is the volume's mount point.
class DriveList : public QComboBox {
public:
    explicit DriveList(QWidget* parent = nullptr);

    std::string Drive() const;

private:
    std::vector<std::string> drives_;
};

}  // namespace setup
