#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/layout.h"

namespace uninstall {

// The folders no uninstall removes, whatever its record says: every root, the system's own
// folders, and the places of the layout the install used (the profile or home folder, the
// desktop, the documents folder, the menus, the folders of programs, every icon theme) with every
// folder above them. Inside an icon theme, a size's folder that Setup made may go when empty.
class ProtectedPlaces {
public:
    // userName picks the user's own places where they are named after the user.
    ProtectedPlaces(const platform::Layout& layout, const std::string& userName,
                    const std::vector<std::string>& systemFolders);

    bool Covers(const std::string& folder) const;

private:
    void AddWithParents(const std::string& folder);

    std::set<std::string> places_;
};

}  // namespace uninstall
