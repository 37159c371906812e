#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "handover/handover.h"
#include "platform/runtime_error.h"

// The first byte is the limit, small so that lines meet it often; the rest is the file's start.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t limit = data[0];
    const std::string_view start(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t end = std::min(start.find_first_of("\r\n"), start.size());
    try {
        const std::string line = handover::FirstLineOf(start, limit);
        if (start.empty() || end > limit || line != start.substr(0, end)) {
            std::abort();
        }
    } catch (const platform::RuntimeError& error) {
        const int expected = start.empty() ? platform::error::kInputPastEndOfFile
                             : end > limit ? platform::error::kBadFileName
                                           : 0;
        if (error.Number() != expected) {
            std::abort();
        }
    }
    return 0;
}
