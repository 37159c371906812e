#include <cerrno>
#include <memory>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/support.h"

namespace platform {

using namespace detail;

namespace {

// The lock is on the folder itself: there is no lock file to leave behind, and the kernel lets go
// of it when the process ends, however it ends.
class HeldFolder final : public FolderLock {
public:
    explicit HeldFolder(int fd) : fd_(fd) {}

private:
    FileDescriptor fd_;
};

}  // namespace

std::unique_ptr<FolderLock> TryLockFolder(const std::string& folder) {
    FileDescriptor fd(::open(SystemPath(folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.Valid()) {
        Raise(errno, folder, Expected::Folder);
    }
    while (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            return nullptr;
        }
        if (errno != EINTR) {
            Raise(errno, folder, Expected::Folder);
        }
    }
    const int held = fd.Get();
    fd.Release();
    return std::make_unique<HeldFolder>(held);
}

}  // namespace platform
