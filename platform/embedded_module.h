#pragma once

#include <span>
#include <string>

namespace platform {

// Loads a shared object that the program carries as bytes, so that a one-file program can put
// off loading a large library until it needs it. Returns the address of the named entry point,
// or nullptr with the reason in failure.
void* LoadEmbeddedModule(std::span<const unsigned char> image, const char* entry,
                         std::string& failure);

// Loads the named libraries from folder by their full paths, in the order given, so that a module
// loaded afterwards finds them by name. Only a folder whose every file and subfolder nobody but
// its owner can change is used. False, with the reason in failure, when one cannot be loaded.
bool LoadLibrariesFrom(const std::string& folder, std::span<const char* const> names,
                       std::string& failure);

}  // namespace platform
