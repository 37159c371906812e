#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/windows/support.h"

namespace platform {

using namespace detail;

std::vector<std::string> Drives() {
    std::wstring buffer(::GetLogicalDriveStringsW(0, nullptr) + 1, L'\0');
    const DWORD length =
        ::GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
    std::vector<std::string> drives;
    for (std::size_t start = 0; start < length && buffer[start] != L'\0';) {
        const std::wstring entry(buffer.c_str() + start);
        start += entry.size() + 1;
        std::string root = Utf8(entry);
        if (!root.empty() && IsPathSeparator(root.back())) {
            root.pop_back();
        }
        drives.push_back(root);
    }
    return drives;
}

std::string CurrentFolderOfDrive(const std::string& drive) {
    const std::string bare =
        !drive.empty() && IsPathSeparator(drive.back()) ? drive.substr(0, drive.size() - 1) : drive;
    bool readable = bare.size() == 2 && DriveLetterOf(bare).has_value();
    if (readable) {
        // An empty drive must fail here, not ask the user to insert a disk.
        const UINT previousMode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
        readable = ::GetVolumeInformationW(Wide(bare + "\\").c_str(), nullptr, 0, nullptr, nullptr,
                                           nullptr, nullptr, 0) != 0;
        ::SetErrorMode(previousMode);
    }
    if (!readable) {
        throw RuntimeError(error::kDeviceUnavailable, drive);
    }
    return FullFolderPathOf(bare);
}

}  // namespace platform
