#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// XXH3-128 of a file's bytes, from Debian's xxhash: tells whether a file is still what Setup
// copied, or what the medium's list says, not whether anyone forged it.
namespace platform {

struct ContentHash {
    std::uint64_t high = 0;
    std::uint64_t low = 0;

    bool operator==(const ContentHash&) const = default;
};

// What one read of a file saw: how many bytes, and their hash.
struct FileContents {
    std::int64_t size = 0;
    ContentHash hash{};

    bool operator==(const FileContents&) const = default;
};

// Hashes bytes as they pass, so that a copy needs no second read.
class ContentHasher {
public:
    ContentHasher();
    ~ContentHasher();
    ContentHasher(const ContentHasher&) = delete;
    ContentHasher& operator=(const ContentHasher&) = delete;

    void Add(std::string_view bytes);
    FileContents Result() const;

private:
    struct State;
    std::unique_ptr<State> state_;
    std::int64_t size_ = 0;
};

ContentHash HashOf(std::string_view bytes);

// 32 hex digits, high half first, as xxhsum -H2 prints it; and back.
std::string HexOf(const ContentHash& hash);
std::optional<ContentHash> ParseContentHash(std::string_view text);

}  // namespace platform
