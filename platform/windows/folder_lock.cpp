#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/windows/support.h"

namespace platform {

using namespace detail;

namespace {

// A lock file opened without sharing: the system closes, and so deletes, it when the process
// ends, however it ends.
class HeldLockFile final : public FolderLock {
public:
    explicit HeldLockFile(HANDLE file) : file_(file) {}

private:
    Handle file_;
};

}  // namespace

std::unique_ptr<FolderLock> TryLockFolder(const std::string& folder) {
    const std::string path = folder + "\\Install.lock";
    const HANDLE file =
        ::CreateFileW(SystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (::GetLastError() == ERROR_SHARING_VIOLATION) {
            return nullptr;
        }
        RaiseLast(folder, Expected::Folder);
    }
    return std::make_unique<HeldLockFile>(file);
}

}  // namespace platform
