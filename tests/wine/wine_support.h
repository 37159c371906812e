#pragma once

#include <string>

#include "tests/support/program_harness.h"
#include "tests/support/temp_folder.h"

// Test helpers only the Windows build has, with Windows paths throughout.
namespace wine_testing {

// Makes folder current, drive included, as starting a program there does.
void StartIn(const std::string& folder);

// The folder of the running test program; the stand-in programs are built beside it.
std::string OwnFolder();
std::string JavaStandIn();         // a program that ends at once, named java.exe
std::string ApplicationStandIn();  // records its current folder in "Velmora_KZ.started"

// What a shell link holds, as the shell reads it back; "<unreadable>" when it cannot.
struct ShortcutFile {
    std::string target;
    std::string workingFolder;
    std::string icon;
};
ShortcutFile ReadShortcut(const std::string& path);

}  // namespace wine_testing
