#pragma once

#include <span>
#include <string>

namespace platform {

// Loads a shared object that the program carries as bytes, so that a one-file program can put
// off loading a large library until it needs it. Returns the address of the named entry point,
// or nullptr with the reason in failure.
void* LoadEmbeddedModule(std::span<const unsigned char> image, const char* entry,
                         std::string& failure);

}  // namespace platform
