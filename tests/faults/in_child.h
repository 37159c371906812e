#pragma once

#include <functional>
#include <string>

// Faults only a real system gives, made in a child process so that the mounts, limits and user
// ids they take go with it.
namespace faults {

// Runs body in a forked child. Its checks count for the test: the child's failures are printed as
// they happen and fail the test; a child that cannot make its fault skips it.
void RunInChild(const std::function<void()>& body);
// Runs body in a forked child that is expected to be killed; the signal that ended it, or 0.
int SignalThatEnded(const std::function<void()>& body);
// In the child: the fault cannot be made here, for this reason; ends the child.
[[noreturn]] void CannotMakeIt(const std::string& why);

// Mounts made after this are seen by the calling process alone and vanish when it ends; ends the
// child when that is impossible here.
void EnterPrivateMounts();
// Makes path unwritable for everyone, root included, like a read-only medium.
void MakeReadOnly(const std::string& path);
// Mounts a tmpfs of the given size ("256k") on folder.
void MountSmallDisk(const std::string& folder, const std::string& size);
// Mounts a btrfs made in the file image on folder: a file system that shares blocks between a
// file and its copy.
void MountSharingDisk(const std::string& folder, const std::string& image);
// Lowers the largest file this process may write.
void LimitFileSize(std::size_t bytes);
// Becomes the user uid, group and all; ends the child when it cannot.
void Become(unsigned uid);

}  // namespace faults
