#include <cstdio>

#include "launcher/core/launcher_form.h"
#include "platform/layout.h"
#include "platform/runtime_error.h"
#include "platform/system_services.h"

// The launcher's load logic without its window, which would stay open: every fixed place is
// rooted in the folder given. Exits 0 once the application is started, else with the run-time
// error's number.
int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s ROOT\n", argv[0]);
        return 2;
    }
    try {
        platform::SystemServices services;
        launcher::Form1(services, platform::LayoutRootedIn(argv[1])).Form_Load();
    } catch (const platform::RuntimeError& error) {
        std::printf("Run-time error %d: %s\n", error.Number(), error.Description().c_str());
        return error.Number();
    }
    std::printf("started\n");
    return 0;
}
