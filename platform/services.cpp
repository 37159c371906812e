#include "platform/services.h"

namespace platform {

void ReportUnhandled(Services& services, const RuntimeError& error) {
    try {
        services.ShowMessage(UnhandledErrorText(error), "Project1");
    } catch (const RuntimeError&) {
        // The box is the last word; nothing is left to report a failure of it to.
    }
    services.EndProgram(ExitStatus::Failure);
}

}  // namespace platform
