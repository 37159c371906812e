#include "setup/core/queries.h"

#include "platform/platform.h"

namespace setup {

namespace {

constexpr std::size_t kUserNameBufferSize = 255;

}  // namespace

FileExistsResult FileExists(platform::FileSystem& files, const std::string& strFile) {
    std::int64_t length = -1;
    try {
        length = files.FileLength(strFile);
    } catch (const platform::RuntimeError&) {
    }
    if (length == 0) {
        return FileExistsResult::Empty;
    }
    return length > 0 ? FileExistsResult::HasContent : FileExistsResult::NotThere;
}

std::string GetCurrentUserName(platform::Services& services) {
    try {
        return services.LogonUserName(kUserNameBufferSize);
    } catch (const platform::SystemCallFailed& failure) {
        throw platform::RuntimeError::SystemCall(static_cast<int>(failure.code));
    }
}

}  // namespace setup
