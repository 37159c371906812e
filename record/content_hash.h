#pragma once

#include <cstdint>
#include <string_view>

namespace record {

// XXH64 with seed 0, from Debian's xxhash: what records of the first format hold for the files up
// to 1 MiB they hashed. Newer records hold XXH3-128 (platform/content_hash.h).
std::uint64_t EarlierContentHash(std::string_view bytes);

}  // namespace record
