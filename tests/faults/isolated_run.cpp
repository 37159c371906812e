#include "tests/faults/isolated_run.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string_view>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace faults {

namespace {

// Length-prefixed fields, so any bytes survive the trip.
void Put(std::string& out, const std::string& field) {
    out += std::to_string(field.size()) + ':' + field;
}

std::string Take(std::string_view& in) {
    const auto colon = in.find(':');
    if (colon == std::string_view::npos) {
        throw std::runtime_error("the child's report is cut short");
    }
    const std::size_t size = std::stoul(std::string(in.substr(0, colon)));
    if (in.size() < colon + 1 + size) {
        throw std::runtime_error("the child's report is cut short");
    }
    std::string field(in.substr(colon + 1, size));
    in.remove_prefix(colon + 1 + size);
    return field;
}

void PutState(std::string& out, const DiskState& state) {
    Put(out, std::to_string(state.size()));
    for (const auto& [path, entry] : state) {
        Put(out, path);
        Put(out, std::to_string(static_cast<int>(entry.kind)));
        Put(out, std::to_string(entry.mode));
        Put(out, entry.bytes);
    }
}

DiskState TakeState(std::string_view& in) {
    DiskState state;
    for (auto count = std::stoul(Take(in)); count > 0; --count) {
        std::string path = Take(in);
        DiskEntry& entry = state[path];
        entry.kind = static_cast<DiskEntry::Kind>(std::stoi(Take(in)));
        entry.mode = static_cast<unsigned>(std::stoul(Take(in)));
        entry.bytes = Take(in);
    }
    return state;
}

std::string Pack(const Outcome& outcome) {
    std::string out;
    for (const auto* field :
         {&outcome.notMade, &outcome.broken, &outcome.workingFolder, &outcome.destination}) {
        Put(out, *field);
    }
    Put(out, outcome.ended ? "1" : "0");
    Put(out, std::to_string(outcome.messages.size()));
    for (const auto& message : outcome.messages) {
        Put(out, message.title);
        Put(out, message.text);
    }
    PutState(out, outcome.before);
    PutState(out, outcome.after);
    return out;
}

Outcome Unpack(std::string_view in) {
    Outcome outcome;
    for (auto* field :
         {&outcome.notMade, &outcome.broken, &outcome.workingFolder, &outcome.destination}) {
        *field = Take(in);
    }
    outcome.ended = Take(in) == "1";
    for (auto count = std::stoul(Take(in)); count > 0; --count) {
        std::string title = Take(in);
        outcome.messages.push_back({std::move(title), Take(in)});
    }
    outcome.before = TakeState(in);
    outcome.after = TakeState(in);
    return outcome;
}

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written <= 0 && errno != EINTR) {
            return;
        }
        bytes.remove_prefix(written > 0 ? static_cast<std::size_t>(written) : 0);
    }
}

std::string ReadAll(int fd) {
    std::string bytes;
    char buffer[1 << 16];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno != EINTR) {
            break;
        }
        bytes.append(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
    }
    return bytes;
}

Outcome Broken(std::string why) {
    Outcome outcome;
    outcome.broken = std::move(why);
    return outcome;
}

}  // namespace

DiskState ReadDiskState(const std::string& root) {
    DiskState state;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        struct stat info {};
        const std::string path = item.path().string();
        if (::lstat(path.c_str(), &info) != 0) {
            continue;
        }
        DiskEntry entry;
        entry.mode = info.st_mode & 07777;
        if (S_ISLNK(info.st_mode)) {
            entry.kind = DiskEntry::Kind::Link;
            entry.bytes = fs::read_symlink(item.path()).string();
        } else if (S_ISDIR(info.st_mode)) {
            entry.kind = DiskEntry::Kind::Folder;
        } else {
            entry.bytes = testing_support::ReadFile(path);
        }
        state.emplace(path, std::move(entry));
    }
    return state;
}

Outcome RunIsolated(const std::function<Outcome()>& body) {
    int report[2];
    if (::pipe(report) != 0) {
        return Broken(std::string("pipe: ") + std::strerror(errno));
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(report[0]);
        Outcome outcome;
        try {
            outcome = body();
        } catch (const std::exception& error) {
            outcome.broken = std::string("unexpected exception: ") + error.what();
        } catch (...) {
            outcome.broken = "unexpected exception";
        }
        WriteAll(report[1], Pack(outcome));
        // No test-framework or temporary-folder clean-up may run in the child.
        ::_exit(0);
    }
    ::close(report[1]);
    const std::string packed = ReadAll(report[0]);
    ::close(report[0]);
    int status = 0;
    while (child > 0 && ::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (child < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return Broken("the child did not finish (wait status " + std::to_string(status) + ")");
    }
    try {
        return Unpack(packed);
    } catch (const std::exception& error) {
        return Broken(error.what());
    }
}

std::string EnterPrivateMounts() {
    static const std::string failure = []() -> std::string {
        if (::unshare(CLONE_NEWNS) != 0) {
            return std::string("cannot enter a private mount namespace (needs root): ") +
                   std::strerror(errno);
        }
        // Otherwise mounts could still propagate to the machine's own namespace.
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            return std::string("cannot make the mounts private: ") + std::strerror(errno);
        }
        return {};
    }();
    return failure;
}

}  // namespace faults
