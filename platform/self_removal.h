#pragma once

// A program that removes its own file. On POSIX a running program's file can go like any other.
// Windows keeps a running program's file: there the program hands its work to a copy of itself
// in a new temporary folder, which waits until the original has ended and can then remove it.
namespace platform {

enum class WhoGoesOn { ThisProcess, TemporaryCopy };

// Where the system keeps a running program's file and this process is not already the copy:
// copies the program into a new temporary folder, starts the copy and returns TemporaryCopy, after
// which this process should end at once. Otherwise returns ThisProcess; the copy does so once the
// original has ended.
WhoGoesOn HandOverToTemporaryCopy();

// For the copy, at its end: its file and its folder are removed when the system next starts.
// Nothing to do where the program could remove its own file.
void ScheduleOwnRemoval();

}  // namespace platform
