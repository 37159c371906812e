#include <cerrno>
#include <string>

#include "platform/runtime_error.h"

namespace platform {

namespace {

struct KnownError {
    int number;
    const char* description;
};

KnownError FromSystemError(int code) {
    switch (code) {
        case ENOENT:
            return {error::kFileNotFound, "File not found"};
        case ENOTDIR:
            return {error::kPathNotFound, "Path not found"};
        case EEXIST:
            return {error::kFileAlreadyExists, "File already exists"};
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return {error::kDiskFull, "Disk full"};
        case ENAMETOOLONG:
            return {error::kBadFileName, "Bad file name"};
        case EACCES:
        case EPERM:
        case EROFS:
            return {error::kPermissionDenied, "Permission denied"};
        case ENODEV:
        case ENXIO:
        case EIO:
            return {error::kDeviceUnavailable, "Device unavailable"};
        default:
            return {error::kPathFileAccessError, "Path/File access error"};
    }
}

}  // namespace

void RaiseForSystemError(int code, const std::string& place) {
    const KnownError known = FromSystemError(code);
    throw RuntimeError(known.number, known.description, place, code);
}

}  // namespace platform
