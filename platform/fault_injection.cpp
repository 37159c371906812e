#include "platform/fault_injection.h"

#include <array>
#include <cstddef>
#include <utility>

namespace platform::fault_injection {

namespace {

struct Armed {
    int code = 0;
    int remaining = 0;
    std::string placeEnding;
};

std::array<Armed, 4>& Faults() {
    static std::array<Armed, 4> faults{};
    return faults;
}

Armed& FaultFor(Operation operation) {
    return Faults()[static_cast<std::size_t>(operation)];
}

}  // namespace

void FailNext(Operation operation, int code, int after, std::string placeEnding) {
    FaultFor(operation) = Armed{code, after, std::move(placeEnding)};
}

void Clear() {
    Faults().fill(Armed{});
}

int Take(Operation operation, const std::string& place) {
    Armed& fault = FaultFor(operation);
    if (fault.code == 0 || !place.ends_with(fault.placeEnding)) {
        return 0;
    }
    if (fault.remaining > 0) {
        --fault.remaining;
        return 0;
    }
    const int code = fault.code;
    fault = Armed{};
    return code;
}

}  // namespace platform::fault_injection
