#include "platform/file_system.h"

#include <string>

#include "platform/runtime_error.h"

namespace platform {

// Through the other services, so that a fault made in front of them reaches a copy too.
void FileSystem::CopyFile(const std::string& source, const std::string& destination) {
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
