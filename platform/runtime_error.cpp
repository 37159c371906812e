#include "platform/runtime_error.h"

#include <cerrno>
#include <string>

#include "platform/platform.h"

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

void RaiseForSystemError(int code) {
    const KnownError known = FromSystemError(code);
    throw RuntimeError(known.number, known.description);
}

void ReportUnhandled(const RuntimeError& error) {
    try {
        ShowMessage("Run-time error '" + std::to_string(error.Number()) + "':\r\n\r\n" +
                        error.Description(),
                    "Project1");
    } catch (const RuntimeError&) {
        // The box is the last word; nothing is left to report a failure of it to.
    }
    EndProgram();
}

}  // namespace platform
