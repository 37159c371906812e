// Stands in for the application: the first thing it does is note the moment it started, on the
// monotonic clock in nanoseconds, in "probe.time" in its current folder.
#include <cstdio>
#include <ctime>

int main() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::FILE* file = std::fopen("probe.time.tmp", "w");
    if (file == nullptr) {
        return 1;
    }
    std::fprintf(file, "%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    // Renamed into place whole, so the timer never reads half a number.
    return std::fclose(file) == 0 && std::rename("probe.time.tmp", "probe.time") == 0 ? 0 : 1;
}
