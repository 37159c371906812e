#include "record/checksum.h"

// Header-only, so that no system the programs run on needs the library.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace record {

std::uint64_t Checksum(std::string_view bytes, std::uint64_t seed) {
    return XXH3_64bits_withSeed(bytes.data(), bytes.size(), seed);
}

}  // namespace record
