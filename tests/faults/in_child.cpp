#include "tests/faults/in_child.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/temp_folder.h"

namespace faults {

namespace {

constexpr int kSkipped = 77;

[[noreturn]] void CannotBecause(const std::string& what) {
    CannotMakeIt(what + ": " + std::strerror(errno));
}

}  // namespace

void RunInChild(const std::function<void()>& body) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            body();
        } catch (...) {
            ADD_FAILURE() << "an unexpected exception in the child";
        }
        std::fflush(nullptr);
        // No test-framework or temporary-folder clean-up may run in the child.
        ::_exit(::testing::Test::HasFailure() ? 1 : ::testing::Test::IsSkipped() ? kSkipped : 0);
    }
    int status = 0;
    while (child > 0 && ::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kSkipped) {
        GTEST_SKIP() << "the fault cannot be made here (the reason is above)";
    }
    EXPECT_TRUE(child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the child's checks failed (above), or it did not finish: wait status " << status;
}

int SignalThatEnded(const std::function<void()>& body) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            body();
        } catch (...) {
        }
        std::fflush(nullptr);
        ::_exit(0);
    }
    int status = 0;
    while (child > 0 && ::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return child > 0 && WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

void CannotMakeIt(const std::string& why) {
    std::fprintf(stderr, "cannot make the fault here: %s\n", why.c_str());
    std::fflush(nullptr);
    ::_exit(kSkipped);
}

void EnterPrivateMounts() {
    if (::unshare(CLONE_NEWNS) != 0) {
        CannotBecause("no private mount namespace (needs root)");
    }
    // Otherwise mounts could still propagate to the machine's own namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        CannotBecause("cannot make the mounts private");
    }
}

void MakeReadOnly(const std::string& path) {
    EnterPrivateMounts();
    if (::mount(path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        ::mount(nullptr, path.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        CannotBecause("cannot mount " + path + " read-only");
    }
}

void MountSmallDisk(const std::string& folder, const std::string& size) {
    EnterPrivateMounts();
    testing_support::MakeFolders(folder);
    const std::string options = "size=" + size + ",mode=0755";
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        CannotBecause("cannot mount a tmpfs on " + folder);
    }
}

void MountSharingDisk(const std::string& folder, const std::string& image) {
    EnterPrivateMounts();
    const std::string make = "truncate -s 256M '" + image + "' && mkfs.btrfs -q '" + image +
                             "' >/dev/null 2>&1 && mount -o loop '" + image + "' '" + folder + "'";
    if (std::system(make.c_str()) != 0) {
        CannotMakeIt("cannot make and mount a btrfs image (needs root and btrfs-progs)");
    }
}

void LimitFileSize(std::size_t bytes) {
    struct rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        CannotBecause("setrlimit");
    }
}

void Become(unsigned uid) {
    if (::setgroups(0, nullptr) != 0 || ::setresgid(uid, uid, uid) != 0 ||
        ::setresuid(uid, uid, uid) != 0) {
        CannotBecause("cannot become user " + std::to_string(uid));
    }
}

}  // namespace faults
