#pragma once

// The launcher's window lives in a module the launcher carries and loads only after its load
// work: the user waits for the application, not for the window toolkit.

// A failed load, in plain data: the program and the module each carry their own C++ runtime.
struct VelmoraLoadFailure {
    int number;
    const char* place;
    int systemCode;
    int reason;
};

// Shows the run-time error box for failure when there is one, else the launcher's window until
// it is closed. Returns the exit code.
extern "C" int VelmoraLauncherWindow(int argc, char** argv, const VelmoraLoadFailure* failure);

namespace launcher {
using WindowEntry = decltype(&VelmoraLauncherWindow);
inline constexpr const char* kWindowEntryName = "VelmoraLauncherWindow";
}  // namespace launcher
