#pragma once

#include <optional>
#include <string>

#include "platform/windows/windows_api.h"

// What the Win32 services share: how a failure reaches the user, the path pieces they take apart,
// and the file handling that makes a write all-or-nothing.
namespace platform::detail {

enum class Expected { File, Folder };

std::string NameOf(const std::string& path);
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

private:
    HANDLE handle_;
};

// A new, empty file beside path, made exclusively (nothing planted under its name can be
// written through) under a name an install recognises as its own. Returns its name.
std::string MakeTemporaryBeside(const std::string& path);

// A file made beside its destination under a temporary name and moved over it only when
// complete, so the destination holds either its old bytes or all the new ones.
class PendingFile {
public:
    explicit PendingFile(const std::string& destination);
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile();

    const std::string& Name() const { return temporary_; }

    [[noreturn]] void Fail(DWORD code) const { Raise(code, destination_, Expected::File); }

    void Commit();
    // The complete file, on the disk, left under its temporary name for the caller.
    std::string Keep();

private:
    std::string destination_;
    std::string temporary_;
};

// The full form of a folder path, ending in a backslash only at a root ("C:\", "\\host\share\").
std::string FullFolderPathOf(const std::string& path);

std::optional<char> DriveLetterOf(const std::string& path);

}  // namespace platform::detail
