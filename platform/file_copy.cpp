#include <string>

#include "platform/platform.h"
#include "platform/runtime_error.h"

namespace platform {

void CopyFile(const std::string& source, const std::string& destination) {
    const std::string temporary = CopyToTemporary(source, destination);
    if (temporary.empty()) {
        return;
    }
    try {
        PutInPlace(temporary, destination);
    } catch (const RuntimeError&) {
        RemoveFile(temporary);
        throw;
    }
}

}  // namespace platform
