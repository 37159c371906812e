#include "platform/content_hash.h"

#include <charconv>

// Header-only, so that no system the programs run on needs the library.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace platform {

struct ContentHasher::State {
    XXH3_state_t xxh3;
};

ContentHasher::ContentHasher() : state_(std::make_unique<State>()) {
    XXH3_128bits_reset(&state_->xxh3);
}

ContentHasher::~ContentHasher() = default;

void ContentHasher::Add(std::string_view bytes) {
    XXH3_128bits_update(&state_->xxh3, bytes.data(), bytes.size());
    size_ += static_cast<std::int64_t>(bytes.size());
}

FileContents ContentHasher::Result() const {
    const XXH128_hash_t hash = XXH3_128bits_digest(&state_->xxh3);
    return {size_, {hash.high64, hash.low64}};
}

ContentHash HashOf(std::string_view bytes) {
    const XXH128_hash_t hash = XXH3_128bits(bytes.data(), bytes.size());
    return {hash.high64, hash.low64};
}

std::string HexOf(const ContentHash& hash) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(32, '0');
    for (int i = 0; i < 16; ++i) {
        text[static_cast<std::size_t>(15 - i)] = kDigits[(hash.high >> (4 * i)) & 0xF];
        text[static_cast<std::size_t>(31 - i)] = kDigits[(hash.low >> (4 * i)) & 0xF];
    }
    return text;
}

std::optional<ContentHash> ParseContentHash(std::string_view text) {
    if (text.size() != 32) {
        return std::nullopt;
    }
    ContentHash hash;
    for (const auto& [half, value] :
         {std::pair{text.substr(0, 16), &hash.high}, std::pair{text.substr(16), &hash.low}}) {
        const auto [end, failed] =
            std::from_chars(half.data(), half.data() + half.size(), *value, 16);
        if (failed != std::errc() || end != half.data() + half.size() || half[0] == '+' ||
            half[0] == '-') {
            return std::nullopt;
        }
    }
    return hash;
}

}  // namespace platform
