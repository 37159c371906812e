#pragma once

#include <string>

#include "platform/layout.h"
#include "platform/services.h"

namespace uninstall {

// The uninstall, from its start to the end of the program: reads the install record of the
// layout's application folder, asks once, refuses while the application runs from an install
// folder, removes what the record names (Removal) and ends with a box that says what it did.
// Exit status 0 when everything recorded was removed or kept for a reason the box gives; 1 when
// something could not be removed, there was nothing to remove, or the user said No.
class Uninstaller {
public:
    Uninstaller(platform::Services& services, platform::Layout layout);

    [[noreturn]] void Run();

private:
    [[noreturn]] void Refuse(const std::string& text);
    std::string UserName() const;

    platform::Services& services_;
    platform::Layout layout_;
};

}  // namespace uninstall
