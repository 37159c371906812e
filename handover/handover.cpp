#include "handover/handover.h"

#include "platform/platform.h"

namespace handover {

std::string FileFor(const std::string& installFolder) {
    return installFolder + "\r\n";
}

std::string ReadFirstLine(platform::FileReading& files, const std::string& path) {
    // Never more than a path and its line end: a huge file must not be read whole.
    const std::size_t limit = platform::MaxPathLength();
    // Only a plain file: a link is not followed to another file, and a FIFO keeps nobody waiting.
    return FirstLineOf(files.ReadPrefix(path, limit + 2, platform::Links::Refuse), limit);
}

std::string FirstLineOf(std::string_view start, std::size_t limit) {
    if (start.empty()) {
        throw platform::RuntimeError(platform::error::kInputPastEndOfFile);
    }
    std::string line(start.substr(0, start.find_first_of("\r\n")));
    if (line.size() > limit) {
        throw platform::RuntimeError(platform::error::kBadFileName);
    }
    return line;
}

}  // namespace handover
