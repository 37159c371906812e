#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/removal.h"

// The file services the programs' logic reaches the disk through, split by who needs them. Each
// calls the platform function of the same name; tests put layers in front that record or make
// chosen operations fail.
namespace platform {

// What every program reads.
class FileReading {
public:
    virtual ~FileReading() = default;

    virtual std::string CurrentFolder() = 0;
    virtual std::int64_t FileLength(const std::string& path) = 0;
    virtual std::string ReadPrefix(const std::string& path, std::size_t maxBytes,
                                   Links links = Links::Follow) = 0;
    virtual EntryFacts FactsOf(const std::string& path) = 0;
    virtual std::vector<std::string> EntriesOf(const std::string& folder) = 0;
    virtual FileContents ContentsOf(const std::string& path) = 0;
};

// What the launcher, and Setup before it writes, check of the places they follow.
class FolderTrust {
public:
    virtual ~FolderTrust() = default;

    virtual void ChangeFolder(const std::string& path) = 0;
    virtual void RequireOnlyOwnerCanWrite(const std::string& path) = 0;
    virtual void RequireNobodyElseCanChange(const std::string& path) = 0;
    virtual void EnterTrustedFolder(const std::string& folder) = 0;
    virtual void RequireTrustedProgram(const std::string& folder, const std::string& name) = 0;
};

// What Setup changes, and Uninstall when it rewrites the record.
class FileChanges {
public:
    virtual ~FileChanges() = default;

    virtual void CreateFolder(const std::string& path) = 0;
    virtual void MoveToNewName(const std::string& from, const std::string& to) = 0;
    virtual void RemoveTree(const std::string& folder) = 0;

    virtual std::string CopyToTemporary(const std::string& source,
                                        const std::string& destination) = 0;
    // The new files are made under a name of their own, to be moved to becomes: the place a layer
    // counts them against. A copy says what it copied, hashed on the way.
    virtual FileContents CopyNewFile(const std::string& source, const std::string& destination,
                                     const std::string& becomes) = 0;
    virtual void WriteNewFile(const std::string& path, const std::string& contents,
                              const std::string& becomes) = 0;
    virtual void WriteNewShortcut(const std::string& path, const Shortcut& shortcut,
                                  const std::string& becomes) = 0;
    virtual void PutInPlace(const std::string& file, const std::string& destination) = 0;
    // True when the file is gone, also when it never was there; never raises a RuntimeError.
    virtual bool RemoveFile(const std::string& path) = 0;
    virtual void SyncFolder(const std::string& folder) = 0;
    virtual void RemovePartialFiles(const std::string& folder) = 0;

    virtual void PrintLine(const std::string& path, OpenFor mode, const std::string& line) = 0;
    virtual void ReplaceFile(const std::string& path, const std::string& contents) = 0;
    virtual void AppendDurably(const std::string& path, const std::string& data) = 0;

    virtual void GiveInstallersAccess(const std::string& folder) = 0;
    virtual std::unique_ptr<FolderLock> TryLockFolder(const std::string& folder) = 0;
};

// What Uninstall takes away.
class FileRemoval {
public:
    virtual ~FileRemoval() = default;

    virtual void RemoveOneFile(const std::string& path) = 0;
    virtual void RemoveEmptyFolder(const std::string& path) = 0;
    // path reached from place, which holds it, without following a link (platform/removal.h).
    virtual RemovalResult RemoveFileBelow(const std::string& place, const std::string& path) = 0;
    virtual RemovalResult RemoveEmptyFolderBelow(const std::string& place,
                                                 const std::string& path) = 0;
};

class FileSystem : public FileReading, public FolderTrust, public FileChanges, public FileRemoval {
public:
    FileSystem() = default;
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;
    ~FileSystem() override = default;

    // A complete copy put in place, through the services above so that a layer sees both.
    void CopyFile(const std::string& source, const std::string& destination);
};

// Makes each missing folder on the way to path, and path, through files.
void CreateMissingFolders(FileSystem& files, const std::string& path);

// Moves a file to a new name, in another folder too, never over anything; where the two lie on
// different volumes, copies it there and then removes it.
void MoveOrCopy(FileSystem& files, const std::string& from, const std::string& to);

// The system's own file services.
class SystemFileSystem : public FileSystem {
public:
    std::string CurrentFolder() override;
    std::int64_t FileLength(const std::string& path) override;
    std::string ReadPrefix(const std::string& path, std::size_t maxBytes, Links links) override;
    EntryFacts FactsOf(const std::string& path) override;
    std::vector<std::string> EntriesOf(const std::string& folder) override;
    FileContents ContentsOf(const std::string& path) override;

    void ChangeFolder(const std::string& path) override;
    void RequireOnlyOwnerCanWrite(const std::string& path) override;
    void RequireNobodyElseCanChange(const std::string& path) override;
    void EnterTrustedFolder(const std::string& folder) override;
    void RequireTrustedProgram(const std::string& folder, const std::string& name) override;

    void CreateFolder(const std::string& path) override;
    void MoveToNewName(const std::string& from, const std::string& to) override;
    void RemoveTree(const std::string& folder) override;
    std::string CopyToTemporary(const std::string& source, const std::string& destination) override;
    FileContents CopyNewFile(const std::string& source, const std::string& destination,
                             const std::string& becomes) override;
    void WriteNewFile(const std::string& path, const std::string& contents,
                      const std::string& becomes) override;
    void WriteNewShortcut(const std::string& path, const Shortcut& shortcut,
                          const std::string& becomes) override;
    void PutInPlace(const std::string& file, const std::string& destination) override;
    bool RemoveFile(const std::string& path) override;
    void SyncFolder(const std::string& folder) override;
    void RemovePartialFiles(const std::string& folder) override;
    void PrintLine(const std::string& path, OpenFor mode, const std::string& line) override;
    void ReplaceFile(const std::string& path, const std::string& contents) override;
    void AppendDurably(const std::string& path, const std::string& data) override;
    void GiveInstallersAccess(const std::string& folder) override;
    std::unique_ptr<FolderLock> TryLockFolder(const std::string& folder) override;

    void RemoveOneFile(const std::string& path) override;
    void RemoveEmptyFolder(const std::string& path) override;
    RemovalResult RemoveFileBelow(const std::string& place, const std::string& path) override;
    RemovalResult RemoveEmptyFolderBelow(const std::string& place,
                                         const std::string& path) override;
};

// What a layer in front of another file system may watch: the kind of each operation, and the
// place it acts on.
enum class Operation {
    Read,          // a length, a file's bytes, what a path names, a folder's entries
    Check,         // who can change a place; entering a folder
    Write,         // file data written: copies, text lines, whole files, journal entries
    Copy,          // the start of a file copy, reported as its source
    Rename,        // a file or folder moved into place, or aside
    CreateFolder,  // a folder made
    Sync,          // what was written or moved made durable
    Remove,        // a file, an empty folder or a tree removed
    Access,        // a folder given the installer's access
    Lock,          // a folder's lock taken
};
inline constexpr std::size_t kOperationCount = 10;

// One call as a layer sees it: the operation, the place it counts against, and the place an
// error there names (a copy that cannot start names its source).
struct Call {
    Operation operation;
    const std::string& place;
    const std::string& reported;
};

// A layer in front of another file system: every service is passed on, each after Before has
// seen its calls, so a layer overrides only what it changes and no service can be left out.
class ProxyFileSystem : public FileSystem {
public:
    explicit ProxyFileSystem(FileSystem& next) : next_(next) {}

    std::string CurrentFolder() override;
    std::int64_t FileLength(const std::string& path) override;
    std::string ReadPrefix(const std::string& path, std::size_t maxBytes, Links links) override;
    EntryFacts FactsOf(const std::string& path) override;
    std::vector<std::string> EntriesOf(const std::string& folder) override;
    FileContents ContentsOf(const std::string& path) override;

    void ChangeFolder(const std::string& path) override;
    void RequireOnlyOwnerCanWrite(const std::string& path) override;
    void RequireNobodyElseCanChange(const std::string& path) override;
    void EnterTrustedFolder(const std::string& folder) override;
    void RequireTrustedProgram(const std::string& folder, const std::string& name) override;

    void CreateFolder(const std::string& path) override;
    void MoveToNewName(const std::string& from, const std::string& to) override;
    void RemoveTree(const std::string& folder) override;
    std::string CopyToTemporary(const std::string& source, const std::string& destination) override;
    FileContents CopyNewFile(const std::string& source, const std::string& destination,
                             const std::string& becomes) override;
    void WriteNewFile(const std::string& path, const std::string& contents,
                      const std::string& becomes) override;
    void WriteNewShortcut(const std::string& path, const Shortcut& shortcut,
                          const std::string& becomes) override;
    void PutInPlace(const std::string& file, const std::string& destination) override;
    bool RemoveFile(const std::string& path) override;
    void SyncFolder(const std::string& folder) override;
    void RemovePartialFiles(const std::string& folder) override;
    void PrintLine(const std::string& path, OpenFor mode, const std::string& line) override;
    void ReplaceFile(const std::string& path, const std::string& contents) override;
    void AppendDurably(const std::string& path, const std::string& data) override;
    void GiveInstallersAccess(const std::string& folder) override;
    std::unique_ptr<FolderLock> TryLockFolder(const std::string& folder) override;

    void RemoveOneFile(const std::string& path) override;
    void RemoveEmptyFolder(const std::string& path) override;
    RemovalResult RemoveFileBelow(const std::string& place, const std::string& path) override;
    RemovalResult RemoveEmptyFolderBelow(const std::string& place,
                                         const std::string& path) override;

protected:
    // Sees each call before it is passed on; may raise instead, as the system could.
    virtual void Before(const Call& call);

private:
    void See(Operation operation, const std::string& place) { Before({operation, place, place}); }

    FileSystem& next_;
};

}  // namespace platform
