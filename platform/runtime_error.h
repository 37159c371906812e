#pragma once

#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

// The runtime's own error numbers, as the programs' users know them.
namespace error {
inline constexpr int kOutOfMemory = 7;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kInternalError = 51;
inline constexpr int kBadFileNameOrNumber = 52;
inline constexpr int kFileNotFound = 53;
inline constexpr int kFileAlreadyExists = 58;
inline constexpr int kBadRecordLength = 59;
inline constexpr int kDiskFull = 61;
inline constexpr int kInputPastEndOfFile = 62;
inline constexpr int kBadFileName = 64;
inline constexpr int kDeviceUnavailable = 68;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccessError = 75;
inline constexpr int kPathNotFound = 76;
inline constexpr int kInvalidPropertyValue = 380;
}  // namespace error

// Why a place was refused, where its error's description alone does not say.
enum class Reason { None, OthersCanChange, ChangedWhileCopied, InstallInterrupted, InUse };

// The description the runtime gives an error number.
std::string_view DescriptionOf(int number);

// The run-time error object: a number with its description, and where the system was given one,
// the place it failed on (a path or an operation) and its own error code (errno,
// GetLastError()). Raised, never returned.
class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(int number, std::string place = {}, int systemCode = 0,
                          Reason reason = Reason::None);

    // A system call that failed with a code the runtime has no number for: the code is the
    // number.
    static RuntimeError SystemCall(int code);

    int Number() const { return number_; }
    std::string Description() const { return what(); }
    const std::string& Place() const { return place_; }
    int SystemCode() const { return systemCode_; }
    Reason Why() const { return reason_; }
    // Who else can change the place refused as OthersCanChange, in the user's words ("every
    // user", "the group staff"); "" where the check could not tell.
    const std::string& Who() const { return who_; }
    RuntimeError& ChangeableBy(std::string who) {
        who_ = std::move(who);
        return *this;
    }
    // The place followed by the reason, as the error box shows it; "" without a place.
    std::string PlaceAndReason() const;

private:
    RuntimeError(int number, const std::string& description, std::string place, int systemCode,
                 Reason reason);

    int number_;
    std::string place_;
    int systemCode_;
    Reason reason_;
    std::string who_;
};

// Raises the run-time error for an operating-system error code: errno on POSIX, GetLastError()
// on Windows; place is the path it failed on, if any.
[[noreturn]] void RaiseForSystemError(int code, const std::string& place = {});
// Whether the system refused a move because its two places lie on different volumes.
bool OnAnotherVolume(const RuntimeError& error);

// The error box's text for an error nothing caught: "Run-time error 'n':", the description, and
// the place on a line of its own when there is one.
std::string UnhandledErrorText(const RuntimeError& error);

// Thrown where ending the program unwinds instead of ending the process, as it does in tests: no
// handler may report it as an error.
struct EndOfProgram {};

// The run-time error for the exception being handled: running out of memory is error 7, any
// other failure error 51.
inline RuntimeError CurrentFailure() {
    try {
        throw;
    } catch (const RuntimeError& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return RuntimeError(error::kOutOfMemory);
    } catch (...) {
        return RuntimeError(error::kInternalError);
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

}  // namespace platform
