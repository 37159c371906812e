#pragma once

#include <string>

// Makes chosen file operations fail on purpose, so that tests can reach failures a real disk
// gives only rarely (a full disk in the middle of a copy, a rename refused halfway through).
// An injected failure is an operating-system error code and goes through the same error mapping
// as a real one.
namespace platform::fault_injection {

enum class Operation {
    Write,         // a write of file data: copies, text lines, whole-file writes
    Copy,          // the start of a file copy
    Rename,        // moving a file into place, or aside
    CreateFolder,  // making one folder or a folder tree
};

// The (after + 1)-th next operation of that kind fails with code (errno on POSIX, a
// GetLastError() code on Windows). With placeEnding, only operations on a place (the file or
// folder written, copied to, moved or made) whose path ends so are counted. One fault per kind
// is armed at a time.
void FailNext(Operation operation, int code, int after = 0, std::string placeEnding = {});
// Disarms every fault.
void Clear();

// For the platform files: the code this operation on place must fail with, or 0.
int Take(Operation operation, const std::string& place);

}  // namespace platform::fault_injection
