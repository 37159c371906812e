#pragma once

#include <atomic>

#include "platform/windows/windows_api.h"

// A function of the system's own libraries that Windows XP does not have is looked up when it is
// needed instead of imported: the loader refuses to start a program with an import it cannot
// find, before the program's first line runs.
namespace platform::detail {

// Set by tests: the older versions' way is taken even where the system has the newer function, as
// Wine has them all.
inline std::atomic<bool> hideNewerFunctions{false};

// The function library exports under name, or null where this version of Windows has none. The
// library is one the program imports from, and so already loaded.
template <typename Function>
Function* SystemFunction(const wchar_t* library, const char* name) {
    const HMODULE module = ::GetModuleHandleW(library);
    if (module == nullptr || hideNewerFunctions.load(std::memory_order_relaxed)) {
        return nullptr;
    }
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace platform::detail
