#pragma once

namespace platform {
class RuntimeError;
}

// The launcher's window lives in a module the launcher carries and loads only after its load
// work: the user waits for the application, not for the window toolkit.
extern "C" int VelmoraLauncherWindow(int argc, char** argv, const platform::RuntimeError* failure);

namespace launcher {
using WindowEntry = decltype(&VelmoraLauncherWindow);
inline constexpr const char* kWindowEntryName = "VelmoraLauncherWindow";
}  // namespace launcher
