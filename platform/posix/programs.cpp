#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/support.h"

namespace platform {

using namespace detail;

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// The search path's own folders only. An empty or relative entry names the current folder or one
// below it, and neither it nor the program's own folder is searched: Setup runs as root from a
// medium that others may have put a "java" on.
std::optional<std::string> FindProgram(const std::string& name) {
    if (name.empty()) {
        return std::nullopt;
    }
    if (name.find('/') != std::string::npos) {
        return IsExecutableFile(name) ? std::optional(name) : std::nullopt;
    }
    const char* searchPath = std::getenv("PATH");
    std::stringstream entries(searchPath != nullptr ? searchPath : "");
    for (std::string folder; std::getline(entries, folder, ':');) {
        if (folder.starts_with('/') && IsExecutableFile(folder + "/" + name)) {
            return folder + "/" + name;
        }
    }
    return std::nullopt;
}

// Reaps the started program when it ends, so that no zombie is left while this process lives on.
void ReapWhenEnded(pid_t child) {
    std::thread([child] {
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

// A spawn rather than a fork: the program starts without this process being copied first, in a
// session of its own, and a failing exec is reported here, for place.
std::int64_t Spawn(std::string program, const std::string& place) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDWR, 0);
    ::posix_spawn_file_actions_adddup2(&actions, 0, 1);
    ::posix_spawn_file_actions_adddup2(&actions, 0, 2);
    ::posix_spawnattr_init(&attributes);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    char* const arguments[] = {program.data(), nullptr};
    pid_t child = 0;
    const int failure =
        ::posix_spawn(&child, program.c_str(), &actions, &attributes, arguments, environ);
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    if (failure != 0) {
        Raise(failure, place, Expected::File);
    }
    ReapWhenEnded(child);
    return child;
}

}  // namespace

std::int64_t StartProgramHidden(const std::string& name) {
    auto program = FindProgram(SystemPath(name));
    if (!program) {
        throw RuntimeError(error::kFileNotFound, name, ENOENT);
    }
    return Spawn(*program, *program);
}

// Relative to the current folder, which is the folder entered: not by its path, which another
// user could have redirected since.
std::int64_t StartInstalledProgram(const std::string& folder, const std::string& name) {
    return Spawn("./" + std::string(SystemPath(name)), folder + "/" + name);
}

}  // namespace platform
