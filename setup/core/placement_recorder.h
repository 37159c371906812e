#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace setup {

// The install's file services, which note what the install placed and made as it goes, for its
// record: every file put in place or written whole, and every folder made, only once done. Each
// service is passed on to the file system it stands in front of (in tests, the one that makes
// faults), so a service added to FileSystem must be passed on here too.
class PlacementRecorder : public platform::FileSystem {
public:
    explicit PlacementRecorder(platform::FileSystem& files) : files_(files) {}

    // In the order they were placed or made; a file placed twice is named twice.
    const std::vector<std::string>& Placed() const { return placed_; }
    const std::vector<std::string>& Made() const { return made_; }

    std::string CurrentFolder() override { return files_.CurrentFolder(); }
    void ChangeFolder(const std::string& path) override { files_.ChangeFolder(path); }
    std::int64_t FileLength(const std::string& path) override { return files_.FileLength(path); }

    void CreateFolder(const std::string& path) override;
    void CreateFolderTree(const std::string& path) override;

    std::string CopyToTemporary(const std::string& source,
                                const std::string& destination) override {
        return files_.CopyToTemporary(source, destination);
    }
    std::string ReserveAside(const std::string& path) override { return files_.ReserveAside(path); }
    void PutInPlace(const std::string& file, const std::string& destination) override;
    bool RemoveFile(const std::string& path) noexcept override { return files_.RemoveFile(path); }
    void SyncFolder(const std::string& folder) override { files_.SyncFolder(folder); }
    void RemovePartialFiles(const std::string& folder) override {
        files_.RemovePartialFiles(folder);
    }

    void PrintLine(const std::string& path, platform::OpenFor mode,
                   const std::string& line) override {
        files_.PrintLine(path, mode, line);
    }
    void ReplaceFile(const std::string& path, const std::string& contents) override;
    std::string ReadPrefix(const std::string& path, std::size_t maxBytes,
                           platform::Links links = platform::Links::Follow) override {
        return files_.ReadPrefix(path, maxBytes, links);
    }

    void RequireOnlyOwnerCanWrite(const std::string& path) override {
        files_.RequireOnlyOwnerCanWrite(path);
    }
    void EnterTrustedFolder(const std::string& folder) override {
        files_.EnterTrustedFolder(folder);
    }
    void RequireTrustedProgram(const std::string& folder, const std::string& name) override {
        files_.RequireTrustedProgram(folder, name);
    }
    std::unique_ptr<platform::FolderLock> TryLockFolder(const std::string& folder) override {
        return files_.TryLockFolder(folder);
    }
    void GiveInstallersAccess(const std::string& folder) override {
        files_.GiveInstallersAccess(folder);
    }
    void WriteShortcut(const std::string& path, const platform::Shortcut& shortcut) override;

    platform::EntryFacts FactsOf(const std::string& path) override { return files_.FactsOf(path); }
    void RemoveOneFile(const std::string& path) override { files_.RemoveOneFile(path); }
    void RemoveEmptyFolder(const std::string& path) override { files_.RemoveEmptyFolder(path); }
    std::vector<std::string> EntriesOf(const std::string& folder) override {
        return files_.EntriesOf(folder);
    }

private:
    bool IsThere(const std::string& path);

    platform::FileSystem& files_;
    std::vector<std::string> placed_;
    std::vector<std::string> made_;
};

}  // namespace setup
