#include <gtest/gtest.h>

#include <cstdlib>

#include "setup/core/desktop_entry.h"
#include "tests/support/temp_folder.h"

using namespace testing_support;

namespace {

// Menus ignore an entry that does not validate, so an awkward path must still give a valid one.
TEST(DesktopEntry, ValidatesForAwkwardProgramPaths) {
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "desktop-file-validate is not installed (package desktop-file-utils)";
    }
    TempFolder folder;
    const std::string entry = folder / "Velmora_KZ.2.0.1.desktop";
    for (const char* program : {"/home/ann/.local/share/applications/Velmora_KZ.2.0.1.exe",
                                "/home/a b/100% \"q\" $x `y` back\\slash/Velmora_KZ.2.0.1.exe"}) {
        WriteFile(entry, setup::DesktopEntryFor(program));
        EXPECT_EQ(std::system(("desktop-file-validate '" + entry + "'").c_str()), 0) << program;
    }
}

}  // namespace
