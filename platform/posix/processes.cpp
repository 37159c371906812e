#include "platform/processes.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/posix/support.h"
#include "platform/runtime_error.h"

namespace platform {

using namespace detail;

namespace {

namespace fs = std::filesystem;

bool Inside(const std::string& path, const std::string& folder) {
    return path == folder || (path.starts_with(folder) && path[folder.size()] == '/');
}

std::string LinkTarget(const fs::path& link) {
    std::error_code failed;
    return fs::read_symlink(link, failed).string();
}

// Its program file, or one of the files it holds open, in folder.
bool RunsFrom(const fs::path& process, const std::string& folder) {
    if (Inside(LinkTarget(process / "exe"), folder)) {
        return true;
    }
    std::error_code failed;
    for (fs::directory_iterator fd(process / "fd", failed), end; !failed && fd != end;
         fd.increment(failed)) {
        if (Inside(LinkTarget(fd->path()), folder)) {
            return true;
        }
    }
    return false;
}

}  // namespace

int RunProgramAndWait(const std::string& name, const std::vector<std::string>& arguments) {
    std::vector<std::string> words{SystemPath(name)};
    for (const auto& argument : arguments) {
        words.emplace_back(SystemPath(argument));
    }
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDWR, 0);
    ::posix_spawn_file_actions_adddup2(&actions, 0, 1);
    ::posix_spawn_file_actions_adddup2(&actions, 0, 2);
    pid_t child = 0;
    const int failure =
        ::posix_spawnp(&child, name.c_str(), &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (failure != 0) {
        RaiseForSystemError(failure, name);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            RaiseForSystemError(errno, name);
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::optional<std::string> ProgramRunningFrom(const std::string& folder) {
    std::error_code failed;
    const std::string real = fs::canonical(SystemPath(folder), failed).string();
    if (failed) {
        return std::nullopt;
    }
    const std::string self = std::to_string(::getpid());
    for (fs::directory_iterator process("/proc", failed), end; !failed && process != end;
         process.increment(failed)) {
        const std::string id = process->path().filename().string();
        if (id == self || id.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        if (RunsFrom(process->path(), real)) {
            const std::string program = LinkTarget(process->path() / "exe");
            return program.empty() ? "process " + id : program;
        }
    }
    return std::nullopt;
}

}  // namespace platform
