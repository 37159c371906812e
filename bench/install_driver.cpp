// bench_install MEDIUM ROOT DESTINATION
// Installs the medium into a destination through the installer's own code and the real platform
// layer, as Setup.exe started in MEDIUM does: start-up, then "Begin Install" with the three
// shortcut options cleared, every fixed place rooted in ROOT. Exits 0 when the install ended
// with its completion message.
#include <cstdio>
#include <string>

#include "platform/layout.h"
#include "platform/platform.h"
#include "setup/core/form1.h"
#include "tests/support/memory_controls.h"

namespace {

struct Ended {};

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s MEDIUM ROOT DESTINATION\n", argv[0]);
        return 2;
    }
    std::string lastTitle;
    platform::SetMessageBoxHandler(
        [&lastTitle](const std::string&, const std::string& title) { lastTitle = title; });
    platform::SetEndAction([] { throw Ended{}; });

    testing_support::MemoryControls controls;
    const platform::Layout layout = platform::LayoutRootedIn(argv[2]);
    setup::Form1 form(controls, layout);
    controls.Attach(form);
    try {
        // The installer makes the application folder, but not the one that holds it.
        const auto& folder = layout.applicationFolder;
        platform::CreateFolderTree(folder.substr(0, folder.rfind(layout.separator)));
        platform::ChangeFolder(argv[1]);
        form.Form_Load();
        for (const auto box :
             {setup::CheckBox::Check1, setup::CheckBox::Check2, setup::CheckBox::Check3}) {
            controls.Toggle(box);
        }
        controls.Type(argv[3]);
        form.Command1_Click();
    } catch (const Ended&) {
        return lastTitle == "Finished" ? 0 : 1;
    } catch (const platform::RuntimeError& error) {
        std::fprintf(stderr, "Run-time error %d: %s\n", error.Number(),
                     error.Description().c_str());
    }
    return 1;
}
