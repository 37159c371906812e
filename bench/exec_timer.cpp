// bench_exec_timer FOLDER PROGRAM [ARGUMENT...]
// Starts PROGRAM and prints, in microseconds, how long after the start the probe application
// (probe_application.cpp) noted its own start in FOLDER/probe.time. PROGRAM is then killed:
// the launcher would otherwise keep its window open.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kTimeoutMs = 10000;

long long MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Waits for the probe's file to be renamed into place; inotify, not polling, so the timer takes
// no processor time from the program it measures.
bool WaitForProbe(int watch, const std::string& marker) {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        if (access(marker.c_str(), F_OK) == 0) {
            return true;
        }
        pollfd ready{watch, POLLIN, 0};
        if (poll(&ready, 1, kTimeoutMs) <= 0) {
            return false;
        }
        if (read(watch, buffer, sizeof buffer) < 0 && errno != EINTR) {
            return false;
        }
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER PROGRAM [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    const std::string marker = std::string(argv[1]) + "/probe.time";
    unlink(marker.c_str());
    const int watch = inotify_init1(IN_CLOEXEC);
    if (watch < 0 || inotify_add_watch(watch, argv[1], IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
        std::perror("inotify");
        return 2;
    }

    const long long start = MonotonicNanoseconds();
    const pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0);
        execv(argv[2], argv + 2);
        _exit(127);
    }
    const bool started = child > 0 && WaitForProbe(watch, marker);
    if (child > 0) {
        kill(-child, SIGKILL);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    long long probed = 0;
    if (!started || !(std::ifstream(marker) >> probed)) {
        std::fprintf(stderr, "the probe application never started\n");
        return 1;
    }
    std::printf("%.1f\n", static_cast<double>(probed - start) / 1000.0);
    return 0;
}
