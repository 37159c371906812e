#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/support/program_harness.h"

namespace faults {

// One entry of a folder tree: a file's bytes or a link's target, and its mode bits.
struct DiskEntry {
    enum class Kind { File, Folder, Link };
    Kind kind = Kind::File;
    unsigned mode = 0;
    std::string bytes;
};

// Everything under a folder, by full path.
using DiskState = std::map<std::string, DiskEntry>;
DiskState ReadDiskState(const std::string& root);

// What one run of a program did, as the test sees it afterwards.
struct Outcome {
    std::string notMade;  // why the fault could not be made here; empty when it was made
    std::string broken;   // the run itself went wrong: an unexpected exception or a crash
    bool ended = false;   // the program ended, as both of its routes must
    std::vector<testing_support::ShownMessage> messages;
    DiskState before;
    DiskState after;
    std::string workingFolder;
    std::string destination;  // the destination box's text when the run ended
};

// Runs body in a forked child, so that mounts, limits, user ids and the umask it changes go
// with the child; the outcome comes back through a pipe.
Outcome RunIsolated(const std::function<Outcome()>& body);

// Mounts made after this are seen by the calling process alone and vanish when it ends.
// Returns why that is impossible here, or an empty string.
std::string EnterPrivateMounts();

}  // namespace faults
