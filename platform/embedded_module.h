#pragma once

#include <span>
#include <string>

namespace platform {

// Where a carried module's bytes may be put for the system's loader to map them.
enum class ModuleStore {
    MemoryFile,       // an anonymous in-memory file; some systems refuse to run code from one
    RuntimeFolder,    // an unlinked temporary file in the user's runtime folder
    TemporaryFolder,  // the same in the temporary folder, for a user without a runtime folder
};

// Loads a shared object that the program carries as bytes, so that a one-file program can put
// off loading a large library until it needs it, trying each store in turn. Returns the address
// of the named entry point, or nullptr with the reason of each store that failed in failure.
void* LoadEmbeddedModule(std::span<const unsigned char> image, const char* entry,
                         std::string& failure,
                         std::span<const ModuleStore> stores = std::span<const ModuleStore>());

// Loads the named libraries from folder by their full paths, in the order given, so that a module
// loaded afterwards finds them by name. Only a folder whose every file and subfolder nobody but
// its owner can change is used. False, with the reason in failure, when one cannot be loaded.
bool LoadLibrariesFrom(const std::string& folder, std::span<const char* const> names,
                       std::string& failure);

// Lowers this thread's priority, and that of the threads it starts, below a program it has just
// started: on a machine with few processors the loading of a large module would otherwise keep
// that program waiting for its turn.
void GiveWayToStartedPrograms();

// The folder the loaded library of that name was found in; "" when none is loaded.
std::string FolderOfLoadedLibrary(const char* name);

}  // namespace platform
