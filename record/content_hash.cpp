#include "record/content_hash.h"

// Header-only, so that no system the programs run on needs the library.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace record {

std::uint64_t EarlierContentHash(std::string_view bytes) {
    return XXH64(bytes.data(), bytes.size(), 0);
}

}  // namespace record
