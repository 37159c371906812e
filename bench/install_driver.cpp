// bench_install MEDIUM ROOT DESTINATION
// Installs the medium into a destination through the installer's own code and the real platform
// layer, as Setup.exe started in MEDIUM does: start-up, then "Begin Install" with the three
// shortcut options cleared, every fixed place rooted in ROOT. Exits 0 when the install ended
// with its completion message.
#include <cstdio>
#include <string>

#include "platform/layout.h"
#include "platform/platform.h"
#include "platform/system_services.h"
#include "setup/core/form1.h"
#include "tests/support/memory_controls.h"

namespace {

// The system's services without a box to wait for: the exit status tells how the install ended.
class QuietServices : public platform::SystemServices {
public:
    void ShowMessage(const std::string& /*text*/, const std::string& /*title*/) override {}
};

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s MEDIUM ROOT DESTINATION\n", argv[0]);
        return 2;
    }
    QuietServices services;
    testing_support::MemoryControls controls;
    const platform::Layout layout = platform::LayoutRootedIn(argv[2]);
    setup::Form1 form(controls, services, layout);
    controls.Attach(form);
    return platform::RunHandler(services, [&] {
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
        return 1;  // the install always ends the program
    });
}
