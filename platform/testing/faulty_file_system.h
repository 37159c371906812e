#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/runtime_error.h"

// Test doubles of the platform's services, linked into tests only.
namespace platform::fakes {

using Operation = platform::Operation;

// How a simulated crash ends the program: by unwinding past every handler, so that the test goes
// on in the same process, or by the process being killed at once, as nothing can catch.
enum class Crash { Unwind, Kill };

// Thrown where a fault stands for the process being killed: it unwinds past every handler, so the
// failure route does not run and nothing is put back.
struct SimulatedCrash : EndOfProgram {};

// The real file services, in front of which tests make chosen operations fail, as a full disk or
// a refused rename would, or stop as a killed process would. Every service of FileSystem can be
// struck, whatever it is, through the one proxy all layers share.
class FaultyFileSystem : public ProxyFileSystem {
public:
    explicit FaultyFileSystem(FileSystem& next) : ProxyFileSystem(next) {}

    // The (after + 1)-th next operation of that kind fails with the system's error code (errno,
    // GetLastError()), reported as the system's own would be. With placeEnding, only operations
    // on a place (the file or folder written, copied to, moved or made) whose path ends so are
    // counted. One error and one crash per kind are armed at a time, each counting alone.
    void FailNext(Operation operation, int code, int after = 0, std::string placeEnding = {});
    // Every operation of that kind on such a place fails from now on, as on a read-only disk.
    void FailEvery(Operation operation, int code, std::string placeEnding = {});
    // The same, but the operation ends the program as a crash would, before it is done.
    void CrashAt(Operation operation, int after = 0, std::string placeEnding = {},
                 Crash crash = Crash::Unwind);
    void Clear();
    // How many operations of that kind were passed on or struck among the calls numbered from
    // from up to to (all calls so far by default), every call of every kind counted.
    int CountOf(Operation operation, std::size_t from = 0, std::size_t to = SIZE_MAX) const;
    std::size_t Calls() const { return seen_.size(); }
    // The number of the call the last fault struck; nothing before one has.
    std::optional<std::size_t> StruckAt() const { return struckAt_; }
    // The folder at path belongs to another user, and others can change it, which only root
    // can arrange for real: the launcher's check refuses it and it is not the running user's to
    // give the installer's access; nor is what lies inside it to be acted on.
    void OwnedByAnotherUser(std::string path) { ownedByAnother_ = std::move(path); }

    void RequireOnlyOwnerCanWrite(const std::string& path) override;
    void RequireNobodyElseCanChange(const std::string& path) override;
    void GiveInstallersAccess(const std::string& folder) override;

protected:
    // Raises the armed fault when it falls on this call.
    void Before(const Call& call) override;

private:
    struct Armed {
        int code = 0;  // 0: none
        std::optional<Crash> crash;
        bool every = false;
        int remaining = 0;
        std::string placeEnding;
    };

    void Strike(Armed& fault, const Call& call);

    std::array<Armed, kOperationCount> faults_{};
    std::array<Armed, kOperationCount> crashes_{};
    std::vector<Operation> seen_;
    std::optional<std::size_t> struckAt_;
    std::string ownedByAnother_;
};

}  // namespace platform::fakes
