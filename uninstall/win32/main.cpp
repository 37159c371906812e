#include "platform/layout.h"
#include "platform/self_removal.h"
#include "platform/system_services.h"
#include "platform/windows/windows_api.h"
#include "uninstall/core/uninstaller.h"

// No window of its own: the question, then the account of what was done, each in a box. Windows
// keeps a running program's file, so the program the user started hands over to a copy of itself
// and ends; the copy does the work once it has ended.
int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
    platform::SystemServices services;
    return platform::RunHandler(services, [&services] {
        if (platform::HandOverToTemporaryCopy() == platform::WhoGoesOn::TemporaryCopy) {
            return 0;
        }
        // Asked for at once: the removal at the next start does not depend on how this run ends.
        platform::ScheduleOwnRemoval();
        uninstall::Uninstaller(services, platform::NativeLayout()).Run();
    });
}
