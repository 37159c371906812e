#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>

#include "platform/file_system.h"
#include "platform/runtime_error.h"

// Test doubles of the platform's services, linked into tests only.
namespace platform::fakes {

// What a kind of file operation a fault is made for.
enum class Operation {
    Write,         // file data written: copies, text lines, whole-file writes
    Copy,          // the start of a file copy
    Rename,        // a file moved into place, or aside
    CreateFolder,  // one folder or a folder tree made
    Sync,          // the moves in a folder made durable
    Remove,        // one file or one empty folder removed
};

// How a simulated crash ends the program: by unwinding past every handler, so that the test goes
// on in the same process, or by the process being killed at once, as nothing can catch.
enum class Crash { Unwind, Kill };

// Thrown where a fault stands for the process being killed: it unwinds past every handler, so the
// failure route does not run and nothing is put back.
struct SimulatedCrash : EndOfProgram {};

// The real file services, in front of which tests make chosen operations fail, as a full disk or
// a refused rename would, or stop as a killed process would.
class FaultyFileSystem : public FileSystem {
public:
    // The (after + 1)-th next operation of that kind fails with the system's error code (errno,
    // GetLastError()), reported as the system's own would be. With placeEnding, only operations
    // on a place (the file or folder written, copied to, moved or made) whose path ends so are
    // counted. One fault per kind is armed at a time.
    void FailNext(Operation operation, int code, int after = 0, std::string placeEnding = {});
    // Every operation of that kind on such a place fails from now on, as on a read-only disk.
    void FailEvery(Operation operation, int code, std::string placeEnding = {});
    // The same, but the operation ends the program as a crash would, before it is done.
    void CrashAt(Operation operation, int after = 0, std::string placeEnding = {},
                 Crash crash = Crash::Unwind);
    void Clear();
    // The folder at path belongs to another user, and others can change it, which only root
    // can arrange for real: the launcher's check refuses it and it is not the running user's to
    // give the installer's access.
    void OwnedByAnotherUser(std::string path) { ownedByAnother_ = std::move(path); }

    void CreateFolder(const std::string& path) override;
    void CreateFolderTree(const std::string& path) override;
    std::string CopyToTemporary(const std::string& source, const std::string& destination) override;
    void PutInPlace(const std::string& file, const std::string& destination) override;
    void PrintLine(const std::string& path, OpenFor mode, const std::string& line) override;
    void ReplaceFile(const std::string& path, const std::string& contents) override;
    void SyncFolder(const std::string& folder) override;
    void RemoveOneFile(const std::string& path) override;
    void RemoveEmptyFolder(const std::string& path) override;
    void WriteShortcut(const std::string& path, const Shortcut& shortcut) override;
    void RequireOnlyOwnerCanWrite(const std::string& path) override;
    void GiveInstallersAccess(const std::string& folder) override;

private:
    struct Armed {
        int code = 0;  // 0: none
        std::optional<Crash> crash;
        bool every = false;
        int remaining = 0;
        std::string placeEnding;
    };

    // Raises the armed fault when it falls on this operation; reported for reported.
    void Strike(Operation operation, const std::string& place, const std::string& reported);

    std::array<Armed, 6> faults_{};
    std::string ownedByAnother_;
};

}  // namespace platform::fakes
