#pragma once

#include <optional>
#include <string>
#include <vector>

// Other programs, as taking an install off the machine meets them.
namespace platform {

// Runs a program found on the search path with the given arguments, without a window or a
// terminal, and waits for its end; returns its exit status. Fails with FileNotFound when there is
// no such program.
int RunProgramAndWait(const std::string& name, const std::vector<std::string>& arguments);

// A program, other than this one, that runs from folder: its program file lies there, or (on
// POSIX, where a script or a Java program runs in an interpreter from elsewhere) it holds a file
// there open. Its program's path, or nothing when there is none this user may see.
std::optional<std::string> ProgramRunningFrom(const std::string& folder);

}  // namespace platform
