#pragma once

#include <optional>
#include <string>

#include "platform/layout.h"
#include "platform/services.h"
#include "platform/uninstall_entry.h"

namespace setup {

// One change an install makes, as its journal keeps it: enough to take it back, or to forget what
// it replaced, whether it was made wholly, partly or not at all. The journal holds it before the
// change is begun.
struct Change {
    enum class Kind {
        Folder,          // a folder made at path
        File,            // the complete file temporary moved to path, what was there kept aside
        Tree,            // the complete folder temporary moved to path, what was there kept aside
        UninstallEntry,  // the system's list of installed programs told of the install
        Kept,            // the user's own file at path kept as aside, in the application folder
    };

    Kind kind = Kind::Folder;
    std::string path{};
    std::string temporary{};  // beside path
    std::string aside{};      // beside path; "" when nothing was there to keep; for Kept, anywhere
    platform::Scope scope = platform::Scope::ThisUser;
    std::optional<platform::UninstallEntry> earlierEntry{};

    bool operator==(const Change&) const = default;
};

// Puts back what was at the change's place before it. Safe to repeat, and to run on a change
// that was only begun, as after a crash: what is on the disk tells how far it got. Raises when
// the system refuses, leaving what it could not put back where the change says.
void Undo(platform::Services& services, const Change& change);

// Lets go of what the change kept aside, once the install it belongs to is whole. Safe to repeat.
void Forget(platform::Services& services, const Change& change);

// Where the earlier file or folder of a change is kept while the change stands, for a box that
// must name it; "" when it kept none.
std::string KeptAside(platform::Services& services, const Change& change);

}  // namespace setup
