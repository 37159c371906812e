#pragma once

#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace platform {

// The run-time error object: a number and a description, and where the system was given one,
// the place it failed on and its own error code (errno, GetLastError()). Raised, never returned.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const std::string& description, std::string place = {},
                 int systemCode = 0)
        : std::runtime_error(description),
          number_(number),
          place_(std::move(place)),
          systemCode_(systemCode) {}

    int Number() const { return number_; }
    std::string Description() const { return what(); }
    const std::string& Place() const { return place_; }
    int SystemCode() const { return systemCode_; }

private:
    int number_;
    std::string place_;
    int systemCode_;
};

// The runtime's own error numbers, as the programs' users know them.
namespace error {
inline constexpr int kOutOfMemory = 7;
inline constexpr int kInternalError = 51;
inline constexpr int kBadFileNameOrNumber = 52;
inline constexpr int kFileNotFound = 53;
inline constexpr int kFileAlreadyExists = 58;
inline constexpr int kDiskFull = 61;
inline constexpr int kInputPastEndOfFile = 62;
inline constexpr int kBadFileName = 64;
inline constexpr int kDeviceUnavailable = 68;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccessError = 75;
inline constexpr int kPathNotFound = 76;
}  // namespace error

// Raises the run-time error for an operating-system error code: errno on POSIX, GetLastError()
// on Windows; place is the path it failed on, if any.
[[noreturn]] void RaiseForSystemError(int code, const std::string& place = {});

// The runtime's error box ("Project1", "Run-time error 'n':", the description, and the place on
// a line of its own when there is one), then the end of the program.
[[noreturn]] void ReportUnhandled(const RuntimeError& error);

// Thrown by an end action that unwinds instead of ending the process (as tests do): no handler
// may report it as an error.
struct EndOfProgram {};

// The run-time error for the exception being handled: running out of memory is error 7, any
// other failure error 51.
inline RuntimeError CurrentFailure() {
    try {
        throw;
    } catch (const RuntimeError& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return RuntimeError(error::kOutOfMemory, "Out of memory");
    } catch (...) {
        return RuntimeError(error::kInternalError, "Internal error");
    }
}

// Runs work and hands back the run-time error nothing in it caught, for a caller that reports it
// later (the launcher reports once its window toolkit has started).
template <typename Work>
std::optional<RuntimeError> CaptureFailure(Work&& work) {
    try {
        work();
    } catch (const EndOfProgram&) {
        throw;
    } catch (...) {
        return CurrentFailure();
    }
    return std::nullopt;
}

// Runs an event handler the way the runtime does: an error nothing caught is reported and ends
// the program; running out of memory is error 7, any other failure error 51. The window adapters
// and the program entries wrap everything they run in this.
template <typename Handler>
auto RunHandler(Handler&& handler) -> decltype(handler()) {
    try {
        return handler();
    } catch (const EndOfProgram&) {
        throw;
    } catch (...) {
        ReportUnhandled(CurrentFailure());
    }
}

}  // namespace platform
