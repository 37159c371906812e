#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/windows/support.h"

namespace platform {

using namespace detail;

namespace {

void WriteWhole(HANDLE file, std::string_view bytes, const std::string& path) {
    if (const DWORD code = WriteAll(file, bytes); code != ERROR_SUCCESS) {
        Raise(code, path, Expected::File);
    }
}

}  // namespace

std::int64_t FileLength(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data)) {
        RaiseLast(path, Expected::File);
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return 0;
    }
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                     data.nFileSizeLow);
}

void PrintLine(const std::string& path, OpenFor mode, const std::string& line) {
    // A link or junction planted at the name is opened itself, not followed, and then refused.
    constexpr DWORD kNotPlain = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    const std::wstring wide = SystemPath(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotPlain) != 0) {
        RaiseForSystemError(ERROR_CANT_ACCESS_FILE, path);
    }
    Handle file(::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.Valid() || !::GetFileInformationByHandle(file.Get(), &info)) {
        RaiseLast(path, Expected::File);
    }
    if ((info.dwFileAttributes & kNotPlain) != 0 || ::GetFileType(file.Get()) != FILE_TYPE_DISK) {
        RaiseForSystemError(ERROR_CANT_ACCESS_FILE, path);
    }
    if (mode == OpenFor::Output && !::SetEndOfFile(file.Get())) {
        RaiseLast(path, Expected::File);
    }
    LARGE_INTEGER before{};
    if (!::SetFilePointerEx(file.Get(), {}, &before, FILE_END)) {
        RaiseLast(path, Expected::File);
    }
    try {
        WriteWhole(file.Get(), line + "\r\n", path);
    } catch (const RuntimeError&) {
        // A line is in the file whole or not at all, also when the disk fills halfway through.
        ::SetFilePointerEx(file.Get(), before, nullptr, FILE_BEGIN);
        ::SetEndOfFile(file.Get());
        throw;
    }
    if (!file.Close()) {
        RaiseLast(path, Expected::File);
    }
}

void ReplaceFile(const std::string& path, const std::string& contents) {
    SystemPath(path);
    PendingFile out(path);
    WriteWhole(out.File(), contents, path);
    out.Commit();
}

void WriteNewFile(const std::string& path, const std::string& contents) {
    SystemPath(path);
    PendingFile out(path, PendingFile::Naming::AtItsName);
    WriteWhole(out.File(), contents, path);
    out.Keep();
}

// A link or junction planted at the name is opened itself, not followed, and then refused.
void AppendDurably(const std::string& path, const std::string& data) {
    constexpr DWORD kNotPlain = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    Handle file(::CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.Valid() || !::GetFileInformationByHandle(file.Get(), &info)) {
        RaiseLast(path, Expected::File);
    }
    if ((info.dwFileAttributes & kNotPlain) != 0 || ::GetFileType(file.Get()) != FILE_TYPE_DISK) {
        RaiseForSystemError(ERROR_CANT_ACCESS_FILE, path);
    }
    LARGE_INTEGER before{};
    if (!::SetFilePointerEx(file.Get(), {}, &before, FILE_END)) {
        RaiseLast(path, Expected::File);
    }
    DWORD code = WriteAll(file.Get(), data);
    if (code == ERROR_SUCCESS && !::FlushFileBuffers(file.Get())) {
        code = ::GetLastError();
    }
    if (code != ERROR_SUCCESS) {
        ::SetFilePointerEx(file.Get(), before, nullptr, FILE_BEGIN);
        ::SetEndOfFile(file.Get());
        Raise(code, path, Expected::File);
    }
    if (!file.Close()) {
        RaiseLast(path, Expected::File);
    }
}

namespace {

// Refusing links, a link or junction is opened itself, not followed, and then refused. The
// caller owns the handle.
HANDLE OpenToRead(const std::string& path, Links links) {
    const DWORD reparse = links == Links::Refuse ? FILE_FLAG_OPEN_REPARSE_POINT : 0;
    Handle file(::CreateFileW(SystemPath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | reparse, nullptr));
    if (!file.Valid()) {
        RaiseLast(path, Expected::File);
    }
    if (links == Links::Refuse) {
        BY_HANDLE_FILE_INFORMATION info{};
        constexpr DWORD kNotPlain = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
        if (!::GetFileInformationByHandle(file.Get(), &info) ||
            (info.dwFileAttributes & kNotPlain) != 0 ||
            ::GetFileType(file.Get()) != FILE_TYPE_DISK) {
            RaiseForSystemError(ERROR_CANT_ACCESS_FILE, path);
        }
    }
    return file.Release();
}

// Up to size bytes into data; fewer only at the file's end.
std::size_t ReadUpTo(HANDLE file, char* data, std::size_t size, const std::string& path) {
    std::size_t filled = 0;
    while (filled < size) {
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(size - filled, 1 << 20));
        DWORD got = 0;
        if (!::ReadFile(file, data + filled, wanted, &got, nullptr)) {
            RaiseLast(path, Expected::File);
        }
        if (got == 0) {
            break;
        }
        filled += got;
    }
    return filled;
}

}  // namespace

std::string ReadPrefix(const std::string& path, std::size_t maxBytes, Links links) {
    const Handle file(OpenToRead(path, links));
    std::string contents(maxBytes, '\0');
    contents.resize(ReadUpTo(file.Get(), contents.data(), maxBytes, path));
    return contents;
}

FileContents ContentsOf(const std::string& path) {
    const Handle file(OpenToRead(path, Links::Refuse));
    std::vector<char> buffer(std::size_t{1} << 18);
    ContentHasher hasher;
    for (;;) {
        const std::size_t got = ReadUpTo(file.Get(), buffer.data(), buffer.size(), path);
        if (got == 0) {
            return hasher.Result();
        }
        hasher.Add({buffer.data(), got});
    }
}

}  // namespace platform
