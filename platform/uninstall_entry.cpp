#include "platform/uninstall_entry.h"

namespace platform {

std::string UninstallKeyName(Scope scope) {
    return std::string(scope == Scope::Everyone ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") +
           kUninstallKey;
}

}  // namespace platform
