#pragma once

#include <cstdint>
#include <string_view>

namespace record {

// XXH64 with seed 0: a fast, well-known 64-bit hash. It tells whether a placed file's bytes
// changed, not whether anyone forged them; it is compared only with what the same program wrote.
std::uint64_t ContentHash(std::string_view bytes);

}  // namespace record
