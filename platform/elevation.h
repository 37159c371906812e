#pragma once

// POSIX only.
namespace platform {

// True when the program runs with root's rights (effective user 0), as under sudo or pkexec.
bool RunsAsRoot();

}  // namespace platform
