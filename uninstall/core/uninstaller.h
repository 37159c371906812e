#pragma once

#include <memory>
#include <string>

#include "platform/layout.h"
#include "platform/services.h"

namespace uninstall {

// The uninstall, from its start to the end of the program: reads the install record of the
// layout's application folder, once nobody but its owner can change it or a folder above it (a
// record others could change, or a damaged one, is refused with Failure, naming the place, who
// else can change it, or the line), asks once, refuses while the application runs from an install
// folder, removes what the record names (Removal) and ends with a box that says what it did.
// Ends with Success when everything recorded was removed or kept for a reason the box gives, and
// with a status of its own for each refusal (nothing to remove, another scope's install, Setup or
// the application running, No) and for a removal that was not complete.
class Uninstaller {
public:
    Uninstaller(platform::Services& services, platform::Layout layout);

    [[noreturn]] void Run();

private:
    void RequireTrustedRecord(const std::string& path);
    [[noreturn]] void Refuse(const std::string& text, platform::ExitStatus status);
    std::unique_ptr<platform::FolderLock> LockOrRefuse();
    std::string UserName() const;

    platform::Services& services_;
    platform::Layout layout_;
};

}  // namespace uninstall
