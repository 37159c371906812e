#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/content_hash.h"
#include "platform/runtime_error.h"

// The operating-system services both programs use. Every failure raises a RuntimeError with the
// runtime's number and description. Paths are plain strings in the system's own form.
namespace platform {

// The longest path the system accepts; longer input is refused rather than truncated.
std::size_t MaxPathLength();

// A path that names the same place whatever the current folder is.
bool IsFullPath(const std::string& path);

// Whether c separates the pieces of a path ("\" and "/" on Windows, "/" elsewhere).
bool IsPathSeparator(char c);
// Whether the system takes two spellings that differ only in case for the same place.
bool PathsIgnoreCase();
// A spelling of path for telling whether two paths name the same place: on Windows its letters in
// upper case by the system's own table, as the file system compares names; elsewhere path.
std::string PathKey(const std::string& path);

// The full form of a folder, ending in a separator only at a root. Fails with PathNotFound when
// the path names no folder.
std::string FullFolderPath(const std::string& folder);
// The names of a folder's subfolders as a folder list shows them, in no particular order (on
// POSIX without the hidden ones, whose names start with a dot). None when it cannot be read.
std::vector<std::string> SubfolderNames(const std::string& folder);

// Current folder.
std::string CurrentFolder();
void ChangeFolder(const std::string& path);

// Makes one folder; fails if it exists or its parent does not.
void CreateFolder(const std::string& path);
// Makes a folder and any missing parents (for desktop and menu folders made on demand).
void CreateFolderTree(const std::string& path);

// Every temporary file the programs make beside a destination has a name starting with this,
// followed by a suffix of this many characters.
inline constexpr const char* kPartialFilePrefix = ".Velmora_KZ-partial-";
inline constexpr std::size_t kPartialFileSuffixLength = 6;
// Copies source to a new temporary file beside destination, complete and on the disk, with
// source's permission bits less group and other write; returns its name. Returns "" when
// destination is source itself, which needs no copy.
std::string CopyToTemporary(const std::string& source, const std::string& destination);
// Moves a file of the same folder over destination, replacing what is there.
void PutInPlace(const std::string& file, const std::string& destination);
// True when the file is gone, also when it never was there.
bool RemoveFile(const std::string& path) noexcept;
// Makes the moves done in folder last through a crash.
void SyncFolder(const std::string& folder);
// Removes the temporary files and folders an interrupted run left in folder, and nothing else.
void RemovePartialFiles(const std::string& folder);

// Writes contents to path, which is made for it and must not be there yet, complete and on the
// disk, for everyone to read and its owner alone to change.
void WriteNewFile(const std::string& path, const std::string& contents);
// Copies source to destination, which is made for it and must not be there yet, complete and on
// the disk, with source's permission bits less group and other write. Returns what it copied,
// hashed on the way.
FileContents CopyNewFile(const std::string& source, const std::string& destination);
// Renames a file or folder within its folder; fails when anything is at to.
void MoveToNewName(const std::string& from, const std::string& to);
// Removes a folder and everything in it; a link inside is removed, never followed.
void RemoveTree(const std::string& folder);
// Appends data to a plain file, made when missing, and returns only once it is on the disk; a
// failure leaves the file as it was.
void AppendDurably(const std::string& path, const std::string& data);

// Length in bytes; 0 for a folder. Fails when the path is not there.
std::int64_t FileLength(const std::string& path);

// Sequential text files, opened and closed for each call. Only a plain file is written: a
// symbolic link or anything else at the name is refused.
enum class OpenFor { Output, Append };
void PrintLine(const std::string& path, OpenFor mode, const std::string& line);
// Writes a whole file under its final name only once it is complete.
void ReplaceFile(const std::string& path, const std::string& contents);
// At most maxBytes bytes from the start of a file. Refusing links, only a plain file is read, and
// a symbolic link at the name is refused, not followed.
enum class Links { Follow, Refuse };
std::string ReadPrefix(const std::string& path, std::size_t maxBytes, Links links = Links::Follow);
// A plain file's bytes hashed to its end, whatever its size, in one read; a link at the name is
// refused, as ReadPrefix refusing links.
FileContents ContentsOf(const std::string& path);

// Fails with PermissionDenied, naming the path, when anyone but its owner can change what it holds
// or its owner is neither the running user nor the administrator: a program may only follow
// places that nobody else can redirect.
void RequireOnlyOwnerCanWrite(const std::string& path);
// The same of path and of every folder above it, as named and, past links, as they are; a folder
// above that others may only add names to (POSIX: the sticky bit, as /tmp; Windows: leave to add
// files and folders, as a drive's root) passes. What Uninstall and Setup's recovery act on.
void RequireNobodyElseCanChange(const std::string& path);
// Where the launchers of those the install is for could not follow a folder (others may change
// it; on Windows, for an install for every user, also one user's own), gives it the access the
// installer gives the folders it makes, if the running user owns it: on POSIX no group or other
// write; on Windows the installer's access list, and for every user the administrators as owner.
// Fails as RequireOnlyOwnerCanWrite does for another owner's folder, which it leaves as it is;
// leaves alone what they can follow already, and anything but a folder.
void GiveInstallersAccess(const std::string& folder);

// A shortcut: the program it starts, the folder it starts it in, and the file whose first icon
// it shows.
struct Shortcut {
    std::string target;
    std::string workingFolder;
    std::string icon;
};
// Writes a shortcut file (Windows: a shell link) to path, which is made for it and must not be
// there yet, complete and on the disk. Refused where the system has no such files.
void WriteNewShortcut(const std::string& path, const Shortcut& shortcut);

// Makes folder current, holding on to what was checked: whoever can change the folder, or owns it
// and is neither the running user nor the administrator, could choose what is started from it
// (PermissionDenied, naming the folder). Nobody can swap the folder between the check and a start
// from it.
void EnterTrustedFolder(const std::string& folder);
// Fails unless name in the folder last entered is a plain file (not a link) that nobody but its
// owner, the running user or the administrator, can change.
void RequireTrustedProgram(const std::string& folder, const std::string& name);

// Starts a program by bare name, hidden and detached, searching the running program's own
// folder, then the current folder, then the search path. Returns the process id.
std::int64_t StartProgramHidden(const std::string& name);
// Starts the program file name in folder, the folder last entered, hidden and detached, without
// any search. Returns the process id.
std::int64_t StartInstalledProgram(const std::string& folder, const std::string& name);

// Held while one Setup installs from a folder; another cannot have it meanwhile. Let go when it is
// destroyed or the process ends, however it ends.
class FolderLock {
public:
    FolderLock() = default;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    virtual ~FolderLock() = default;
};
// The lock of folder, or null when another process holds it.
std::unique_ptr<FolderLock> TryLockFolder(const std::string& folder);

// The logged-on user's name; fails with the system's error code (SystemCallFailed) when the
// name cannot be had or does not fit a buffer of bufferSize characters with its terminator.
struct SystemCallFailed {
    std::uint32_t code;
};
std::string LogonUserName(std::size_t bufferSize);

// The current local date and time as text in the user's regional format, to the second.
std::string LocalDateTimeText();

// Mounted volumes, as the drive list shows them.
std::vector<std::string> Drives();
// The folder a drive's "current folder" means: the current folder when it lies on that drive,
// else the drive's root. Fails when the drive cannot be read.
std::string CurrentFolderOfDrive(const std::string& drive);

// The system's own message box (modal, OK button only); on a system without a window system, a
// line on the standard error.
void SystemMessageBox(const std::string& text, const std::string& title);

// The system the programs were built for: it decides how their options are spelled first and
// which exit codes they end with.
enum class System { Windows, Linux };
System ThisSystem();

// Where a line for whoever started the program goes: its standard output or standard error.
enum class Console { Output, Error };
// Writes a line there, where the program has one (a console, or output redirected by whoever
// started it); does nothing where it has none.
void WriteToConsole(Console stream, const std::string& line);

// The arguments the program was started with, after its own name, as UTF-8. On Windows from the
// system's command line (without what a program passes only to its own temporary copy); on POSIX
// the main function's.
std::vector<std::string> ProgramArguments(int argc, const char* const* argv);

// The system's own question box (modal, Yes and No, No the default); true for Yes. On a system
// without a window system, No, said on the standard error.
bool SystemQuestionBox(const std::string& text, const std::string& title);

}  // namespace platform
