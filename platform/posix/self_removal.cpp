#include "platform/self_removal.h"

#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform {

std::optional<int> RunInTemporaryCopy() {
    return std::nullopt;
}

std::unique_ptr<Services> ServicesOfTheCopy(Services& /*services*/,
                                            const std::function<int(ExitStatus)>& /*exitCodes*/) {
    return nullptr;
}

std::vector<std::string> ProgramArguments(int argc, const char* const* argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

}  // namespace platform
