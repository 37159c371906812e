#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/services.h"

// A program that removes its own file. On POSIX a running program's file can go like any other.
// Windows keeps a running program's file: there the program the user started (the original)
// copies itself into the temporary folder, starts the copy with its own arguments and waits. The
// copy does the work, moves the original's file out of its folder on the way, hands the original
// the exit code of its work, and removes the moved file once the original has ended; the system
// removes the copy's own file when the copy ends.
namespace platform {

// In the original, where the system keeps a running program's file: starts the copy, waits for
// its work and returns the exit code it ended with, for the original to end with. Otherwise,
// and in the copy, nothing.
std::optional<int> RunInTemporaryCopy();

// In the copy: services that remove the original's file as above and, at the end, hand the exit
// code exitCodes gives to the original, wait for it to end and remove its file. Elsewhere null:
// services serve as they are.
std::unique_ptr<Services> ServicesOfTheCopy(Services& services,
                                            const std::function<int(ExitStatus)>& exitCodes);

}  // namespace platform
