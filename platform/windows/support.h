#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/windows/windows_api.h"

// What the Win32 services share: how a failure reaches the user, the path pieces they take apart,
// and the file handling that makes a write all-or-nothing.
namespace platform::detail {

enum class Expected { File, Folder };

std::string NameOf(const std::string& path);

// In the uninstaller's temporary copy, the process of the original, which waits for it; else 0.
DWORD OriginalProcessId();
// With its separator kept, so that a root stays a root ("C:\").
std::string FolderOf(const std::string& path);

// The path as the system takes it. A NUL would end the name early, so the system would act on
// another path than the one given: such a path is refused.
std::wstring SystemPath(const std::string& path);

bool IsFolder(const std::string& path);

// The same failure reads differently to the user depending on what the path was meant to be.
[[noreturn]] void Raise(DWORD code, const std::string& path, Expected expected);
[[noreturn]] void RaiseLast(const std::string& path, Expected expected);

class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Close(); }

    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    bool Close();
    // Gives up the handle without closing it.
    HANDLE Release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
    void Reset(HANDLE handle) {
        Close();
        handle_ = handle;
    }

private:
    HANDLE handle_;
};

// Every byte of data, or the system's error code; 0 when all are written. A write that takes
// nothing would otherwise be retried for ever: it is an error.
DWORD WriteAll(HANDLE file, std::string_view data);

// A new, empty file beside path, made exclusively (nothing planted under its name can be
// written through) under a name an install recognises as its own. Returns its name; with held,
// the handle it was made with stays open there, for writing, so that it is never opened again by
// a name someone could have changed meanwhile.
std::string MakeTemporaryBeside(const std::string& path, Handle* held = nullptr);

// A file made beside its destination under a temporary name, written through the handle it was
// made with, and moved over the destination only when complete, so the destination holds either
// its old bytes or all the new ones.
class PendingFile {
public:
    // Under a temporary name beside destination, or, AtItsName, under destination itself, which
    // must not be there yet.
    enum class Naming { Temporary, AtItsName };
    explicit PendingFile(const std::string& destination, Naming naming = Naming::Temporary);
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile();

    const std::string& Name() const { return temporary_; }
    HANDLE File() const { return file_.Get(); }
    // For a writer that can only open the file by its name (the shell's, for a shortcut).
    void LetGoForWriterByName() { file_.Close(); }

    [[noreturn]] void Fail(DWORD code) const { Raise(code, destination_, Expected::File); }

    void Commit();
    // The complete file, on the disk, left under its temporary name for the caller.
    std::string Keep();

private:
    std::string destination_;
    std::string temporary_;
    Handle file_;
};

// The full form of a folder path, ending in a backslash only at a root ("C:\", "\\host\share\").
std::string FullFolderPathOf(const std::string& path);

std::optional<char> DriveLetterOf(const std::string& path);

// The file system flags of the volume that held (opened at place) lies on; none if the system
// cannot tell. Before Vista the volume is found by place, which the handle keeps from being
// renamed or removed meanwhile.
std::optional<DWORD> VolumeFlagsOf(HANDLE held, const std::string& place);

}  // namespace platform::detail
