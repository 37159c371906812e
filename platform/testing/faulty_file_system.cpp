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

int FaultyFileSystem::CountOf(Operation operation, const std::string& placeEnding) const {
    int count = 0;
    for (const auto& [seen, place] : seen_) {
        count += seen == operation && place.ends_with(placeEnding) ? 1 : 0;
    }
    return count;
}

void FaultyFileSystem::Before(const Call& call) {
    seen_.emplace_back(call.operation, call.place);
    Armed& fault = faults_[static_cast<std::size_t>(call.operation)];
    if (fault.code == 0 || !call.place.ends_with(fault.placeEnding)) {
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
    RaiseForSystemError(struck.code, call.reported);
}

void FaultyFileSystem::RequireOnlyOwnerCanWrite(const std::string& path) {
    if (!ownedByAnother_.empty() && path == ownedByAnother_) {
        throw RuntimeError(error::kPermissionDenied, path, 0, Reason::OthersCanChange);
    }
    ProxyFileSystem::RequireOnlyOwnerCanWrite(path);
}

void FaultyFileSystem::GiveInstallersAccess(const std::string& folder) {
    if (!ownedByAnother_.empty() && folder == ownedByAnother_) {
        throw RuntimeError(error::kPermissionDenied, folder, 0, Reason::OthersCanChange);
    }
    ProxyFileSystem::GiveInstallersAccess(folder);
}

}  // namespace platform::fakes
