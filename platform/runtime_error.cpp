#include "platform/runtime_error.h"

#include <string>
#include <utility>

namespace platform {

namespace {

struct Described {
    int number;
    std::string_view description;
};

// Every error the programs raise, with the text the runtime gives it.
constexpr Described kDescriptions[] = {
    {error::kOutOfMemory, "Out of memory"},
    {error::kTypeMismatch, "Type mismatch"},
    {error::kInternalError, "Internal error"},
    {error::kBadFileNameOrNumber, "Bad file name or number"},
    {error::kFileNotFound, "File not found"},
    {error::kFileAlreadyExists, "File already exists"},
    {error::kBadRecordLength, "Bad record length"},
    {error::kDiskFull, "Disk full"},
    {error::kInputPastEndOfFile, "Input past end of file"},
    {error::kBadFileName, "Bad file name"},
    {error::kDeviceUnavailable, "Device unavailable"},
    {error::kPermissionDenied, "Permission denied"},
    {error::kPathFileAccessError, "Path/File access error"},
    {error::kPathNotFound, "Path not found"},
    {error::kInvalidPropertyValue, "Invalid property value"},
};

std::string_view ReasonText(Reason reason) {
    switch (reason) {
        case Reason::OthersCanChange:
            return "can be changed by another user";
        case Reason::ChangedWhileCopied:
            return "changed while it was copied";
        case Reason::InstallInterrupted:
            return "holds an installation that was interrupted: run Setup again";
        case Reason::InUse:
            return "is being installed by another Setup";
        case Reason::None:
            break;
    }
    return {};
}

}  // namespace

std::string_view DescriptionOf(int number) {
    for (const auto& known : kDescriptions) {
        if (known.number == number) {
            return known.description;
        }
    }
    return "Application-defined or object-defined error";
}

RuntimeError::RuntimeError(int number, std::string place, int systemCode, Reason reason)
    : RuntimeError(number, std::string(DescriptionOf(number)), std::move(place), systemCode,
                   reason) {}

RuntimeError::RuntimeError(int number, const std::string& description, std::string place,
                           int systemCode, Reason reason)
    : std::runtime_error(description),
      number_(number),
      place_(std::move(place)),
      systemCode_(systemCode),
      reason_(reason) {}

RuntimeError RuntimeError::SystemCall(int code) {
    return RuntimeError(code, "A system call returned an error code of " + std::to_string(code), {},
                        code, Reason::None);
}

std::string RuntimeError::PlaceAndReason() const {
    if (place_.empty() || reason_ == Reason::None) {
        return place_;
    }
    if (reason_ == Reason::OthersCanChange && !who_.empty()) {
        return place_ + " can be changed by " + who_;
    }
    return place_ + " " + std::string(ReasonText(reason_));
}

std::string UnhandledErrorText(const RuntimeError& error) {
    const std::string place = error.Place().empty() ? "" : "\r\n" + error.PlaceAndReason();
    return "Run-time error '" + std::to_string(error.Number()) + "':\r\n\r\n" +
           error.Description() + place;
}

}  // namespace platform
