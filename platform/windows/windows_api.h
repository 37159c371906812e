#pragma once

// <windows.h> as this project includes it, and how text crosses over to it. Two of platform.h's
// services share their names with Win32 macros (CopyFile, ReplaceFile), which would otherwise
// rename the calls.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef CopyFile
#undef ReplaceFile

#include <string>
#include <string_view>

// The programs hold text as UTF-8 and call only the wide ("W") functions, so that a name outside
// the ANSI code page reaches the system as it was typed, on every version of Windows.
namespace platform {

// UTF-16 for the system. Bytes that are no UTF-8 are taken in the ANSI code page, as files
// written by earlier installers hold them.
std::wstring Wide(std::string_view text);
// The system's UTF-16 as UTF-8.
std::string Utf8(std::wstring_view text);

}  // namespace platform
