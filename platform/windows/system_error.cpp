#include <windows.h>

#include <string>

#include "platform/runtime_error.h"

namespace platform {

namespace {

int NumberFor(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_MOD_NOT_FOUND:
            return error::kFileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
            return error::kPathNotFound;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return error::kFileAlreadyExists;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_FILE_TOO_LARGE:
            return error::kDiskFull;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            return error::kBadFileNameOrNumber;
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_BUFFER_OVERFLOW:
            return error::kBadFileName;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return error::kPermissionDenied;
        case ERROR_INVALID_DRIVE:
        case ERROR_NOT_READY:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_NETNAME_DELETED:
        case ERROR_UNRECOGNIZED_VOLUME:
        case ERROR_CRC:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_GEN_FAILURE:
            return error::kDeviceUnavailable;
        default:
            return error::kPathFileAccessError;
    }
}

}  // namespace

void RaiseForSystemError(int code, const std::string& place) {
    throw RuntimeError(NumberFor(static_cast<DWORD>(code)), place, code);
}

bool OnAnotherVolume(const RuntimeError& error) {
    return error.SystemCode() == static_cast<int>(ERROR_NOT_SAME_DEVICE);
}

}  // namespace platform
