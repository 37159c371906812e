#include "platform/runtime_error.h"

#include <string>

#include "platform/platform.h"

namespace platform {

void ReportUnhandled(const RuntimeError& error) {
    try {
        const std::string place = error.Place().empty() ? "" : "\r\n" + error.Place();
        ShowMessage("Run-time error '" + std::to_string(error.Number()) + "':\r\n\r\n" +
                        error.Description() + place,
                    "Project1");
    } catch (const RuntimeError&) {
        // The box is the last word; nothing is left to report a failure of it to.
    }
    EndProgram();
}

}  // namespace platform
