#include "platform/uninstall_entry.h"

#include "platform/runtime_error.h"

// No list of installed programs to join here: desktop entries stand in for it.
namespace platform {

void WriteUninstallEntry(Scope scope, const UninstallEntry& /*entry*/) {
    throw RuntimeError(error::kDeviceUnavailable, UninstallKeyName(scope));
}

std::optional<UninstallEntry> ReadUninstallEntry(Scope scope) {
    throw RuntimeError(error::kDeviceUnavailable, UninstallKeyName(scope));
}

void RemoveUninstallEntry(Scope scope) {
    throw RuntimeError(error::kDeviceUnavailable, UninstallKeyName(scope));
}

}  // namespace platform
