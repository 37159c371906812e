#include "platform/testing/faulty_file_system.h"

#include <utility>

namespace platform::fakes {

void FaultyFileSystem::FailNext(Operation operation, int code, int after, std::string placeEnding) {
    faults_[static_cast<std::size_t>(operation)] =
        Armed{code, false, false, after, std::move(placeEnding)};
}

void FaultyFileSystem::FailEvery(Operation operation, int code, std::string placeEnding) {
    faults_[static_cast<std::size_t>(operation)] =
        Armed{code, false, true, 0, std::move(placeEnding)};
}

void FaultyFileSystem::CrashAt(Operation operation, int after, std::string placeEnding) {
    faults_[static_cast<std::size_t>(operation)] =
        Armed{-1, true, false, after, std::move(placeEnding)};
}

void FaultyFileSystem::Clear() {
    faults_.fill(Armed{});
}

void FaultyFileSystem::Strike(Operation operation, const std::string& place,
                              const std::string& reported) {
    Armed& fault = faults_[static_cast<std::size_t>(operation)];
    if (fault.code == 0 || !place.ends_with(fault.placeEnding)) {
        return;
    }
    if (fault.remaining > 0) {
        --fault.remaining;
        return;
    }
    const Armed struck = fault.every ? fault : std::exchange(fault, Armed{});
    if (struck.crash) {
        throw SimulatedCrash{};
    }
    RaiseForSystemError(struck.code, reported);
}

void FaultyFileSystem::CreateFolder(const std::string& path) {
    Strike(Operation::CreateFolder, path, path);
    FileSystem::CreateFolder(path);
}

void FaultyFileSystem::CreateFolderTree(const std::string& path) {
    Strike(Operation::CreateFolder, path, path);
    FileSystem::CreateFolderTree(path);
}

// A refused start names the source, as a missing source does; a failed write the destination.
std::string FaultyFileSystem::CopyToTemporary(const std::string& source,
                                              const std::string& destination) {
    Strike(Operation::Copy, destination, source);
    Strike(Operation::Write, destination, destination);
    return FileSystem::CopyToTemporary(source, destination);
}

std::string FaultyFileSystem::MoveAside(const std::string& path) {
    Strike(Operation::Rename, path, path);
    return FileSystem::MoveAside(path);
}

void FaultyFileSystem::PutInPlace(const std::string& file, const std::string& destination) {
    Strike(Operation::Rename, destination, destination);
    FileSystem::PutInPlace(file, destination);
}

void FaultyFileSystem::PrintLine(const std::string& path, OpenFor mode, const std::string& line) {
    Strike(Operation::Write, path, path);
    FileSystem::PrintLine(path, mode, line);
}

// Written whole under a temporary name, then moved over the file: either may fail.
void FaultyFileSystem::ReplaceFile(const std::string& path, const std::string& contents) {
    Strike(Operation::Write, path, path);
    Strike(Operation::Rename, path, path);
    FileSystem::ReplaceFile(path, contents);
}

void FaultyFileSystem::WriteShortcut(const std::string& path, const Shortcut& shortcut) {
    Strike(Operation::Write, path, path);
    Strike(Operation::Rename, path, path);
    FileSystem::WriteShortcut(path, shortcut);
}

void FaultyFileSystem::RequireOnlyOwnerCanWrite(const std::string& path) {
    if (!ownedByAnother_.empty() && path == ownedByAnother_) {
        throw RuntimeError(error::kPermissionDenied, path, 0, Reason::OthersCanChange);
    }
    FileSystem::RequireOnlyOwnerCanWrite(path);
}

void FaultyFileSystem::GiveInstallersAccess(const std::string& folder) {
    if (!ownedByAnother_.empty() && folder == ownedByAnother_) {
        throw RuntimeError(error::kPermissionDenied, folder, 0, Reason::OthersCanChange);
    }
    FileSystem::GiveInstallersAccess(folder);
}

}  // namespace platform::fakes
