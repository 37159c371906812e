// Linked into each program itself, ahead of the runtime libraries. The threads runtime MinGW links
// in (winpthreads) calls GetTickCount64 through its import, which Windows XP's kernel32.dll does
// not export, so the loader would refuse every program there: the import slot defined here is
// taken in place of the system library's.
#include <atomic>

#include "platform/windows/system_function.h"

namespace {

using TickCountFunction = ULONGLONG WINAPI();

std::atomic_flag carrying = ATOMIC_FLAG_INIT;
DWORD lastCount = 0;
DWORD wraps = 0;

// The 32-bit tick count carried on past its wrap every 49.7 days. Read one caller at a time, a
// count lower than the last is a wrap.
ULONGLONG CarriedTickCount() {
    while (carrying.test_and_set(std::memory_order_acquire)) {
        ::Sleep(0);
    }
    const DWORD now = ::GetTickCount();
    if (now < lastCount) {
        ++wraps;
    }
    lastCount = now;
    const ULONGLONG count = (static_cast<ULONGLONG>(wraps) << 32) | now;
    carrying.clear(std::memory_order_release);
    return count;
}

// Looked up on every call: a guarded static would take the threads runtime's locks.
ULONGLONG WINAPI TickCount64() {
    TickCountFunction* const system =
        platform::detail::SystemFunction<TickCountFunction>(L"kernel32.dll", "GetTickCount64");
    return system != nullptr ? system() : CarriedTickCount();
}

}  // namespace

// The name the runtime's call goes through: 32-bit stdcall, no arguments.
extern "C" {
extern ULONGLONG(WINAPI* const velmoraGetTickCount64)() __asm__("__imp__GetTickCount64@0");
ULONGLONG(WINAPI* const velmoraGetTickCount64)() = &TickCount64;
}
