#pragma once

// <windows.h> as this project includes it. Two of platform.h's services share their names with
// Win32 macros (CopyFile, ReplaceFile), which would otherwise rename the calls.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef CopyFile
#undef ReplaceFile
