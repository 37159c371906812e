#include <cerrno>
#include <string>

#include "platform/runtime_error.h"

namespace platform {

namespace {

int NumberFor(int code) {
    switch (code) {
        case ENOENT:
            return error::kFileNotFound;
        case ENOTDIR:
            return error::kPathNotFound;
        case EEXIST:
            return error::kFileAlreadyExists;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return error::kDiskFull;
        case ENAMETOOLONG:
            return error::kBadFileName;
        case EACCES:
        case EPERM:
        case EROFS:
            return error::kPermissionDenied;
        case ENODEV:
        case ENXIO:
        case EIO:
            return error::kDeviceUnavailable;
        default:
            return error::kPathFileAccessError;
    }
}

}  // namespace

void RaiseForSystemError(int code, const std::string& place) {
    throw RuntimeError(NumberFor(code), place, code);
}

bool OnAnotherVolume(const RuntimeError& error) {
    return error.SystemCode() == EXDEV;
}

}  // namespace platform
