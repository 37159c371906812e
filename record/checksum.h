#pragma once

#include <cstdint>
#include <string_view>

namespace record {

// XXH3 (64 bits) of bytes, seeded so that a chain of lines can carry each other's sums: tells
// whether text Setup wrote is as it wrote it, not whether anyone forged it.
std::uint64_t Checksum(std::string_view bytes, std::uint64_t seed = 0);

}  // namespace record
