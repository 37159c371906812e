#include "platform/file_system.h"

#include <string>

#include "platform/paths.h"
#include "platform/runtime_error.h"

namespace platform {

void FileSystem::CopyFile(const std::string& source, const std::string& destination) {
    const std::string temporary = CopyToTemporary(source, destination);
    if (temporary.empty()) {
        return;
    }
    try {
        PutInPlace(temporary, destination);
    } catch (const RuntimeError&) {
        RemoveFile(temporary);
        throw;
    }
}

void CreateMissingFolders(FileSystem& files, const std::string& path) {
    for (const auto& folder : FoldersOnTheWay(path)) {
        if (files.FactsOf(folder).kind == EntryKind::None) {
            files.CreateFolder(folder);
        }
    }
}

void MoveOrCopy(FileSystem& files, const std::string& from, const std::string& to) {
    try {
        files.MoveToNewName(from, to);
    } catch (const RuntimeError& error) {
        if (!OnAnotherVolume(error)) {
            throw;
        }
        files.CopyNewFile(from, to, to);
        files.RemoveOneFile(from);
    }
}

std::string SystemFileSystem::CurrentFolder() {
    return platform::CurrentFolder();
}
std::int64_t SystemFileSystem::FileLength(const std::string& path) {
    return platform::FileLength(path);
}
std::string SystemFileSystem::ReadPrefix(const std::string& path, std::size_t maxBytes,
                                         Links links) {
    return platform::ReadPrefix(path, maxBytes, links);
}
EntryFacts SystemFileSystem::FactsOf(const std::string& path) {
    return platform::FactsOf(path);
}
std::vector<std::string> SystemFileSystem::EntriesOf(const std::string& folder) {
    return platform::EntriesOf(folder);
}
FileContents SystemFileSystem::ContentsOf(const std::string& path) {
    return platform::ContentsOf(path);
}

void SystemFileSystem::ChangeFolder(const std::string& path) {
    platform::ChangeFolder(path);
}
void SystemFileSystem::RequireOnlyOwnerCanWrite(const std::string& path) {
    platform::RequireOnlyOwnerCanWrite(path);
}
void SystemFileSystem::RequireNobodyElseCanChange(const std::string& path) {
    platform::RequireNobodyElseCanChange(path);
}
void SystemFileSystem::EnterTrustedFolder(const std::string& folder) {
    platform::EnterTrustedFolder(folder);
}
void SystemFileSystem::RequireTrustedProgram(const std::string& folder, const std::string& name) {
    platform::RequireTrustedProgram(folder, name);
}

void SystemFileSystem::CreateFolder(const std::string& path) {
    platform::CreateFolder(path);
}
void SystemFileSystem::MoveToNewName(const std::string& from, const std::string& to) {
    platform::MoveToNewName(from, to);
}
void SystemFileSystem::RemoveTree(const std::string& folder) {
    platform::RemoveTree(folder);
}
std::string SystemFileSystem::CopyToTemporary(const std::string& source,
                                              const std::string& destination) {
    return platform::CopyToTemporary(source, destination);
}
FileContents SystemFileSystem::CopyNewFile(const std::string& source,
                                           const std::string& destination,
                                           const std::string& /*becomes*/) {
    return platform::CopyNewFile(source, destination);
}
void SystemFileSystem::WriteNewFile(const std::string& path, const std::string& contents,
                                    const std::string& /*becomes*/) {
    platform::WriteNewFile(path, contents);
}
void SystemFileSystem::WriteNewShortcut(const std::string& path, const Shortcut& shortcut,
                                        const std::string& /*becomes*/) {
    platform::WriteNewShortcut(path, shortcut);
}
void SystemFileSystem::PutInPlace(const std::string& file, const std::string& destination) {
    platform::PutInPlace(file, destination);
}
bool SystemFileSystem::RemoveFile(const std::string& path) {
    return platform::RemoveFile(path);
}
void SystemFileSystem::SyncFolder(const std::string& folder) {
    platform::SyncFolder(folder);
}
void SystemFileSystem::RemovePartialFiles(const std::string& folder) {
    platform::RemovePartialFiles(folder);
}
void SystemFileSystem::PrintLine(const std::string& path, OpenFor mode, const std::string& line) {
    platform::PrintLine(path, mode, line);
}
void SystemFileSystem::ReplaceFile(const std::string& path, const std::string& contents) {
    platform::ReplaceFile(path, contents);
}
void SystemFileSystem::AppendDurably(const std::string& path, const std::string& data) {
    platform::AppendDurably(path, data);
}
void SystemFileSystem::GiveInstallersAccess(const std::string& folder) {
    platform::GiveInstallersAccess(folder);
}
std::unique_ptr<FolderLock> SystemFileSystem::TryLockFolder(const std::string& folder) {
    return platform::TryLockFolder(folder);
}

void SystemFileSystem::RemoveOneFile(const std::string& path) {
    platform::RemoveOneFile(path);
}
void SystemFileSystem::RemoveEmptyFolder(const std::string& path) {
    platform::RemoveEmptyFolder(path);
}

namespace {

std::vector<std::string> NamesOrRaise(const std::string& place, const std::string& path) {
    auto names = NamesBelow(place, path);
    if (!names || names->empty()) {
        throw RuntimeError(error::kInternalError, path);
    }
    return *names;
}

}  // namespace

RemovalResult SystemFileSystem::RemoveFileBelow(const std::string& place, const std::string& path) {
    return platform::RemoveFileBelow(place, NamesOrRaise(place, path), path);
}
RemovalResult SystemFileSystem::RemoveEmptyFolderBelow(const std::string& place,
                                                       const std::string& path) {
    return platform::RemoveEmptyFolderBelow(place, NamesOrRaise(place, path), path);
}

namespace {

// What is moved aside counts against the place it leaves: the name it goes to is a temporary's.
const std::string& MovedPlace(const std::string& from, const std::string& to) {
    return to.find(kPartialFilePrefix) != std::string::npos ? from : to;
}

}  // namespace

void ProxyFileSystem::Before(const Call& /*call*/) {}

std::string ProxyFileSystem::CurrentFolder() {
    See(Operation::Read, {});
    return next_.CurrentFolder();
}
std::int64_t ProxyFileSystem::FileLength(const std::string& path) {
    See(Operation::Read, path);
    return next_.FileLength(path);
}
std::string ProxyFileSystem::ReadPrefix(const std::string& path, std::size_t maxBytes,
                                        Links links) {
    See(Operation::Read, path);
    return next_.ReadPrefix(path, maxBytes, links);
}
EntryFacts ProxyFileSystem::FactsOf(const std::string& path) {
    See(Operation::Read, path);
    return next_.FactsOf(path);
}
std::vector<std::string> ProxyFileSystem::EntriesOf(const std::string& folder) {
    See(Operation::Read, folder);
    return next_.EntriesOf(folder);
}
FileContents ProxyFileSystem::ContentsOf(const std::string& path) {
    See(Operation::Read, path);
    return next_.ContentsOf(path);
}

void ProxyFileSystem::ChangeFolder(const std::string& path) {
    See(Operation::Check, path);
    next_.ChangeFolder(path);
}
void ProxyFileSystem::RequireOnlyOwnerCanWrite(const std::string& path) {
    See(Operation::Check, path);
    next_.RequireOnlyOwnerCanWrite(path);
}
void ProxyFileSystem::RequireNobodyElseCanChange(const std::string& path) {
    See(Operation::Check, path);
    next_.RequireNobodyElseCanChange(path);
}
void ProxyFileSystem::EnterTrustedFolder(const std::string& folder) {
    See(Operation::Check, folder);
    next_.EnterTrustedFolder(folder);
}
void ProxyFileSystem::RequireTrustedProgram(const std::string& folder, const std::string& name) {
    See(Operation::Check, folder);
    next_.RequireTrustedProgram(folder, name);
}

void ProxyFileSystem::CreateFolder(const std::string& path) {
    See(Operation::CreateFolder, path);
    next_.CreateFolder(path);
}
void ProxyFileSystem::MoveToNewName(const std::string& from, const std::string& to) {
    See(Operation::Rename, MovedPlace(from, to));
    next_.MoveToNewName(from, to);
}
void ProxyFileSystem::RemoveTree(const std::string& folder) {
    See(Operation::Remove, folder);
    next_.RemoveTree(folder);
}
std::string ProxyFileSystem::CopyToTemporary(const std::string& source,
                                             const std::string& destination) {
    Before({Operation::Copy, destination, source});
    See(Operation::Write, destination);
    return next_.CopyToTemporary(source, destination);
}
FileContents ProxyFileSystem::CopyNewFile(const std::string& source, const std::string& destination,
                                          const std::string& becomes) {
    Before({Operation::Copy, becomes, source});
    See(Operation::Write, becomes);
    return next_.CopyNewFile(source, destination, becomes);
}
void ProxyFileSystem::WriteNewFile(const std::string& path, const std::string& contents,
                                   const std::string& becomes) {
    See(Operation::Write, becomes);
    next_.WriteNewFile(path, contents, becomes);
}
void ProxyFileSystem::WriteNewShortcut(const std::string& path, const Shortcut& shortcut,
                                       const std::string& becomes) {
    See(Operation::Write, becomes);
    next_.WriteNewShortcut(path, shortcut, becomes);
}
void ProxyFileSystem::PutInPlace(const std::string& file, const std::string& destination) {
    See(Operation::Rename, MovedPlace(file, destination));
    next_.PutInPlace(file, destination);
}
bool ProxyFileSystem::RemoveFile(const std::string& path) {
    See(Operation::Remove, path);
    return next_.RemoveFile(path);
}
void ProxyFileSystem::SyncFolder(const std::string& folder) {
    See(Operation::Sync, folder);
    next_.SyncFolder(folder);
}
void ProxyFileSystem::RemovePartialFiles(const std::string& folder) {
    See(Operation::Remove, folder);
    next_.RemovePartialFiles(folder);
}
void ProxyFileSystem::PrintLine(const std::string& path, OpenFor mode, const std::string& line) {
    See(Operation::Write, path);
    next_.PrintLine(path, mode, line);
}
// Written whole under a temporary name, then moved over the file: either may fail.
void ProxyFileSystem::ReplaceFile(const std::string& path, const std::string& contents) {
    See(Operation::Write, path);
    See(Operation::Rename, path);
    next_.ReplaceFile(path, contents);
}
// The bytes, then their sync: a crash may fall between the two.
void ProxyFileSystem::AppendDurably(const std::string& path, const std::string& data) {
    See(Operation::Write, path);
    See(Operation::Sync, path);
    next_.AppendDurably(path, data);
}
void ProxyFileSystem::GiveInstallersAccess(const std::string& folder) {
    See(Operation::Access, folder);
    next_.GiveInstallersAccess(folder);
}
std::unique_ptr<FolderLock> ProxyFileSystem::TryLockFolder(const std::string& folder) {
    See(Operation::Lock, folder);
    return next_.TryLockFolder(folder);
}

void ProxyFileSystem::RemoveOneFile(const std::string& path) {
    See(Operation::Remove, path);
    next_.RemoveOneFile(path);
}
void ProxyFileSystem::RemoveEmptyFolder(const std::string& path) {
    See(Operation::Remove, path);
    next_.RemoveEmptyFolder(path);
}
RemovalResult ProxyFileSystem::RemoveFileBelow(const std::string& place, const std::string& path) {
    See(Operation::Remove, path);
    return next_.RemoveFileBelow(place, path);
}
RemovalResult ProxyFileSystem::RemoveEmptyFolderBelow(const std::string& place,
                                                      const std::string& path) {
    See(Operation::Remove, path);
    return next_.RemoveEmptyFolderBelow(place, path);
}

}  // namespace platform
