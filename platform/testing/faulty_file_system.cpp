#include "platform/testing/faulty_file_system.h"

#include <algorithm>
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
    crashes_[static_cast<std::size_t>(operation)] =
        Armed{-1, crash, false, after, std::move(placeEnding)};
}

void FaultyFileSystem::Clear() {
    faults_.fill(Armed{});
    crashes_.fill(Armed{});
}

int FaultyFileSystem::CountOf(Operation operation, std::size_t from, std::size_t to) const {
    int count = 0;
    for (std::size_t call = from; call < std::min(to, seen_.size()); ++call) {
        count += seen_[call] == operation ? 1 : 0;
    }
    return count;
}

void FaultyFileSystem::Before(const Call& call) {
    seen_.push_back(call.operation);
    const auto kind = static_cast<std::size_t>(call.operation);
    Strike(crashes_[kind], call);
    Strike(faults_[kind], call);
}

void FaultyFileSystem::Strike(Armed& fault, const Call& call) {
    if (fault.code == 0 || !call.place.ends_with(fault.placeEnding)) {
        return;
    }
    if (fault.remaining > 0) {
        --fault.remaining;
        return;
    }
    const Armed struck = fault.every ? fault : std::exchange(fault, Armed{});
    struckAt_ = seen_.size() - 1;
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
    RaiseForSystemError(struck.code, call.reported);
}

void FaultyFileSystem::RequireOnlyOwnerCanWrite(const std::string& path) {
    if (!ownedByAnother_.empty() && path == ownedByAnother_) {
        throw RuntimeError(error::kPermissionDenied, path, 0, Reason::OthersCanChange);
    }
    ProxyFileSystem::RequireOnlyOwnerCanWrite(path);
}

void FaultyFileSystem::RequireNobodyElseCanChange(const std::string& path) {
    const std::string& other = ownedByAnother_;
    if (!other.empty() &&
        (path == other || (path.size() > other.size() && path.starts_with(other) &&
                           IsPathSeparator(path[other.size()])))) {
        throw RuntimeError(error::kPermissionDenied, other, 0, Reason::OthersCanChange)
            .ChangeableBy("its owner, another user");
    }
    ProxyFileSystem::RequireNobodyElseCanChange(path);
}

void FaultyFileSystem::GiveInstallersAccess(const std::string& folder) {
    if (!ownedByAnother_.empty() && folder == ownedByAnother_) {
        throw RuntimeError(error::kPermissionDenied, folder, 0, Reason::OthersCanChange);
    }
    ProxyFileSystem::GiveInstallersAccess(folder);
}

}  // namespace platform::fakes
