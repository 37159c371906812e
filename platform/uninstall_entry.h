#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/layout.h"

// The system's list of installed programs, from which a user removes one ("Apps", "Programs and
// Features" on Windows). Only Windows keeps one; elsewhere these refuse. Writing the entry is the
// only change the programs make to the Windows registry.
namespace platform {

inline constexpr const char* kUninstallKey =
    R"(Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora_KZ 2.0.1)";

// What the entry tells besides the program's fixed name and version.
struct UninstallEntry {
    std::string installLocation;
    std::string uninstallString;  // the uninstaller's command line, its path quoted
    std::string displayIcon;
    std::uint32_t estimatedSizeKb = 0;
    std::string installDate;  // YYYYMMDD; "" for today

    bool operator==(const UninstallEntry&) const = default;
};

// The key's full name, its root named as the registry editor shows it: the user's own for an
// install for this user, the machine's (its 32-bit view) for one for everyone.
std::string UninstallKeyName(Scope scope);

// Makes or replaces the entry, with today's date as its install date unless it names one.
void WriteUninstallEntry(Scope scope, const UninstallEntry& entry);
// The entry as it is; nothing when there is none.
std::optional<UninstallEntry> ReadUninstallEntry(Scope scope);
// Removes the entry; nothing there is no failure.
void RemoveUninstallEntry(Scope scope);

}  // namespace platform
