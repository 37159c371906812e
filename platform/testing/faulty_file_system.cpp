#include "platform/testing/faulty_file_system.h"

#include <cstdio>
#include <utility>

#ifdef _WIN32
#include "platform/windows/windows_api.h"
#else
#include <csignal>
#endif

namespace platform::fakes {

void FaultyFileSystem::FailNext(Operation operation, int code, int after, std::string placeEnding) {
    faults_[static_cast<std::size_t>(operation)] =
        Armed{code, std::nullopt, false, after, std::move(placeEnding)};
}

void FaultyFileSystem::FailEvery(Operation operation, int code, std::string placeEnding) {
    faults_[static_cast<std::size_t>(operation)] =
        Armed{code, std::nullopt, true, 0, std::move(placeEnding)};
}

void FaultyFileSystem::CrashAt(Operation operation, int after, std::string placeEnding,
                               Crash crash) {
    faults_[static_cast<std::size_t>(operation)] =
        Armed{-1, crash, false, after, std::move(placeEnding)};
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
    if (struck.crash == Crash::Kill) {
        std::fflush(nullptr);
#ifdef _WIN32
        ::TerminateProcess(::GetCurrentProcess(), 9);
#else
        ::raise(SIGKILL);
#endif
    }
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

// A file moved aside fails as its own place: the aside name is the test's unknown.
void FaultyFileSystem::PutInPlace(const std::string& file, const std::string& destination) {
    const bool movingAside = destination.find(kPartialFilePrefix) != std::string::npos;
    const std::string& place = movingAside ? file : destination;
    Strike(Operation::Rename, place, place);
    FileSystem::PutInPlace(file, destination);
}

void FaultyFileSystem::PrintLine(const std::string& path, OpenFor mode, const std::string& line) {
    Strike(Operation::Write, path, path);
    FileSystem::PrintLine(path, mode, line);
}

void FaultyFileSystem::SyncFolder(const std::string& folder) {
    Strike(Operation::Sync, folder, folder);
    FileSystem::SyncFolder(folder);
}

// Written whole under a temporary name, then moved over the file: either may fail.
void FaultyFileSystem::ReplaceFile(const std::string& path, const std::string& contents) {
    Strike(Operation::Write, path, path);
    Strike(Operation::Rename, path, path);
    FileSystem::ReplaceFile(path, contents);
}

void FaultyFileSystem::RemoveOneFile(const std::string& path) {
    Strike(Operation::Remove, path, path);
    FileSystem::RemoveOneFile(path);
}

void FaultyFileSystem::RemoveEmptyFolder(const std::string& path) {
    Strike(Operation::Remove, path, path);
    FileSystem::RemoveEmptyFolder(path);
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
