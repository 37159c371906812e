#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/layout.h"
#include "platform/platform.h"
#include "platform/system_services.h"
#include "setup/core/form1.h"
#include "tests/support/memory_controls.h"
#include "tests/support/temp_folder.h"

namespace {

// One installer, started once in a temporary working folder with a stand-in "java".
struct Installer {
    Installer() {
        testing_support::MakeFolders(folder / "bin");
        testing_support::WriteFile(folder / "bin/java", "#!/bin/sh\nexit 0\n", 0755);
        ::setenv("PATH", (folder / "bin").c_str(), 1);
        // The log goes to the folder current at start-up; libFuzzer's own paths need the old one.
        const auto current = std::filesystem::current_path();
        std::filesystem::current_path(folder.Path());
        form = std::make_unique<setup::Form1>(controls, services,
                                              platform::LayoutRootedIn(folder.Path()));
        controls.Attach(*form);
        form->Form_Load();
        std::filesystem::current_path(current);
    }

    std::string Log() const { return testing_support::ReadFile(form->Log().Path()); }

    testing_support::TempFolder folder;
    platform::SystemServices services;
    testing_support::MemoryControls controls;
    std::unique_ptr<setup::Form1> form;
};

}  // namespace

// Every entry must add exactly its one line, or start the log afresh for "Initialize", whatever
// bytes the text holds.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Installer installer;
    FuzzedDataProvider input(data, size);
    std::string log;
    for (bool first = true; first || input.remaining_bytes() > 0; first = false) {
        const std::string text = first ? "Initialize" : input.ConsumeRandomLengthString(1024);
        const bool restart = text == "Initialize";
        const std::string added = restart ? "~Install Log Initialized\r\n" : "~" + text + "\r\n";
        const std::string kept = restart ? "" : log;

        const std::string before = platform::LocalDateTimeText();
        installer.form->AppendLog(text);
        const std::string after = platform::LocalDateTimeText();
        log = installer.Log();
        if (log != kept + before + added && log != kept + after + added) {
            std::abort();
        }
    }
    return 0;
}
