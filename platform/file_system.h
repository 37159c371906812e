#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/removal.h"

namespace platform {

// The file services the programs' logic changes the disk through: each calls the platform layer
// of the same name. Tests put a file system in front of them that makes chosen operations fail.
class FileSystem {
public:
    FileSystem() = default;
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;
    virtual ~FileSystem() = default;

    virtual std::string CurrentFolder() { return platform::CurrentFolder(); }
    virtual void ChangeFolder(const std::string& path) { platform::ChangeFolder(path); }
    virtual std::int64_t FileLength(const std::string& path) { return platform::FileLength(path); }

    virtual void CreateFolder(const std::string& path) { platform::CreateFolder(path); }
    virtual void CreateFolderTree(const std::string& path) { platform::CreateFolderTree(path); }

    virtual void CopyFile(const std::string& source, const std::string& destination);
    virtual std::string CopyToTemporary(const std::string& source, const std::string& destination) {
        return platform::CopyToTemporary(source, destination);
    }
    virtual std::string ReserveAside(const std::string& path) {
        return platform::ReserveAside(path);
    }
    virtual void PutInPlace(const std::string& file, const std::string& destination) {
        platform::PutInPlace(file, destination);
    }
    virtual bool RemoveFile(const std::string& path) noexcept { return platform::RemoveFile(path); }
    virtual void SyncFolder(const std::string& folder) { platform::SyncFolder(folder); }
    virtual void RemovePartialFiles(const std::string& folder) {
        platform::RemovePartialFiles(folder);
    }

    virtual void PrintLine(const std::string& path, OpenFor mode, const std::string& line) {
        platform::PrintLine(path, mode, line);
    }
    virtual void ReplaceFile(const std::string& path, const std::string& contents) {
        platform::ReplaceFile(path, contents);
    }
    virtual std::string ReadPrefix(const std::string& path, std::size_t maxBytes,
                                   Links links = Links::Follow) {
        return platform::ReadPrefix(path, maxBytes, links);
    }

    virtual void RequireOnlyOwnerCanWrite(const std::string& path) {
        platform::RequireOnlyOwnerCanWrite(path);
    }
    virtual void EnterTrustedFolder(const std::string& folder) {
        platform::EnterTrustedFolder(folder);
    }
    virtual void RequireTrustedProgram(const std::string& folder, const std::string& name) {
        platform::RequireTrustedProgram(folder, name);
    }
    virtual std::unique_ptr<FolderLock> TryLockFolder(const std::string& folder) {
        return platform::TryLockFolder(folder);
    }

    virtual EntryFacts FactsOf(const std::string& path) { return platform::FactsOf(path); }
    virtual void RemoveOneFile(const std::string& path) { platform::RemoveOneFile(path); }
    virtual void RemoveEmptyFolder(const std::string& path) { platform::RemoveEmptyFolder(path); }
    virtual std::vector<std::string> EntriesOf(const std::string& folder) {
        return platform::EntriesOf(folder);
    }
    virtual void GiveInstallersAccess(const std::string& folder) {
        platform::GiveInstallersAccess(folder);
    }
    virtual void WriteShortcut(const std::string& path, const Shortcut& shortcut) {
        platform::WriteShortcut(path, shortcut);
    }
};

}  // namespace platform
