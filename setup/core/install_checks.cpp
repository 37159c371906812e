#include "setup/core/install_checks.h"

#include <algorithm>

#include "platform/platform.h"
#include "setup/core/installation_files.h"

namespace setup {

std::size_t LongestDestination(const std::string& separator) {
    std::size_t longestName = std::char_traits<char>::length(platform::kPartialFilePrefix) +
                              platform::kPartialFileSuffixLength;
    for (const auto name : kInstallationFiles) {
        longestName = std::max(longestName, name.size());
    }
    return platform::MaxPathLength() - separator.size() - longestName;
}

// The launcher's own check has the last word.
void MakeFollowable(platform::FileSystem& files, const std::string& folder) {
    files.GiveInstallersAccess(folder);
    files.RequireOnlyOwnerCanWrite(folder);
}

std::string FollowStep(const std::string& folder, const platform::RuntimeError& error) {
    if (error.Why() == platform::Reason::None) {
        return "Could not install into the folder " + folder + ".";
    }
    return "The folder " + error.PlaceAndReason() + ".";
}

}  // namespace setup
