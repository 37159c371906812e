// bench_map_timer PROGRAM [ARGUMENT...]
// Starts PROGRAM on the X display and prints two numbers: milliseconds from the start until its
// first top-level window is mapped (shown), and its resident memory in KiB a moment later, with
// the window open. PROGRAM is then killed.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

constexpr auto kSettle = std::chrono::milliseconds(500);

long ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

bool WaitForMap(xcb_connection_t* connection) {
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                            !reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect;
        std::free(event);
        if (mapped) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[1], argv + 1);
        _exit(127);
    }
    const bool shown = child > 0 && WaitForMap(connection);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    long resident = -1;
    if (shown) {
        std::this_thread::sleep_for(kSettle);
        resident = ResidentKiB(child);
    }
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    xcb_disconnect(connection);
    if (!shown) {
        std::fprintf(stderr, "no window was shown\n");
        return 1;
    }
    std::printf("%.2f %ld\n", std::chrono::duration<double, std::milli>(elapsed).count(), resident);
    return 0;
}
