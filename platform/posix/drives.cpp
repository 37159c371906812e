#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <mntent.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/support.h"

namespace platform {

using namespace detail;

namespace {

struct Mount {
    std::string point;
    bool pseudo;
};

std::vector<Mount> MountTable() {
    static const std::vector<std::string> pseudo{
        "proc",       "sysfs",    "cgroup",     "cgroup2",     "devpts",   "mqueue",
        "debugfs",    "tracefs",  "securityfs", "pstore",      "bpf",      "autofs",
        "hugetlbfs",  "configfs", "fusectl",    "binfmt_misc", "devtmpfs", "nsfs",
        "rpc_pipefs", "efivarfs", "selinuxfs",  "ramfs"};
    std::vector<Mount> mounts;
    FILE* table = ::setmntent("/proc/self/mounts", "r");
    if (table == nullptr) {
        return mounts;
    }
    while (const struct mntent* mount = ::getmntent(table)) {
        const bool isPseudo =
            std::find(pseudo.begin(), pseudo.end(), mount->mnt_type) != pseudo.end();
        mounts.push_back({mount->mnt_dir, isPseudo});
    }
    ::endmntent(table);
    return mounts;
}

// The mount point a path lies under: the longest one that is a whole-segment prefix of it.
std::string VolumeOf(const std::string& path) {
    std::string volume = "/";
    for (const auto& mount : MountTable()) {
        const std::string& point = mount.point;
        const bool under = path == point || path.starts_with(point + "/");
        if (under && point.size() > volume.size()) {
            volume = point;
        }
    }
    return volume;
}

}  // namespace

std::vector<std::string> Drives() {
    std::vector<std::string> drives{"/"};
    for (const auto& mount : MountTable()) {
        const std::string& point = mount.point;
        const bool isSystem = point.starts_with("/proc") || point.starts_with("/sys") ||
                              point.starts_with("/dev") || point.starts_with("/run");
        // Containers mount single files (/etc/hosts) too; only folders can be browsed.
        if (!mount.pseudo && !isSystem && IsFolder(point) &&
            std::find(drives.begin(), drives.end(), point) == drives.end()) {
            drives.push_back(point);
        }
    }
    return drives;
}

std::string CurrentFolderOfDrive(const std::string& drive) {
    if (!IsFolder(drive) || ::access(drive.c_str(), R_OK | X_OK) != 0) {
        throw RuntimeError(error::kDeviceUnavailable, drive);
    }
    std::string current = CurrentFolder();
    return VolumeOf(current) == drive ? current : drive;
}

}  // namespace platform
