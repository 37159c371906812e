#include "record/content_hash.h"

#include <bit>
#include <cstddef>

namespace record {

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ULL;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ULL;
constexpr std::uint64_t kPrime5 = 0x27D4EB2F165667C5ULL;

// Little-endian whatever the machine, so that the same bytes hash alike everywhere.
std::uint64_t Read(std::string_view bytes, std::size_t at, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = size; i-- > 0;) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

std::uint64_t Round(std::uint64_t accumulator, std::uint64_t input) {
    accumulator += input * kPrime2;
    return std::rotl(accumulator, 31) * kPrime1;
}

std::uint64_t Merge(std::uint64_t hash, std::uint64_t lane) {
    return (hash ^ Round(0, lane)) * kPrime1 + kPrime4;
}

}  // namespace

std::uint64_t ContentHash(std::string_view bytes) {
    const std::size_t size = bytes.size();
    std::size_t at = 0;
    std::uint64_t hash = kPrime5;
    if (size >= 32) {
        std::uint64_t lanes[4] = {kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1};
        for (; at + 32 <= size; at += 32) {
            for (std::size_t lane = 0; lane < 4; ++lane) {
                lanes[lane] = Round(lanes[lane], Read(bytes, at + lane * 8, 8));
            }
        }
        hash = std::rotl(lanes[0], 1) + std::rotl(lanes[1], 7) + std::rotl(lanes[2], 12) +
               std::rotl(lanes[3], 18);
        for (const std::uint64_t lane : lanes) {
            hash = Merge(hash, lane);
        }
    }
    hash += size;
    for (; at + 8 <= size; at += 8) {
        hash = std::rotl(hash ^ Round(0, Read(bytes, at, 8)), 27) * kPrime1 + kPrime4;
    }
    if (at + 4 <= size) {
        hash = std::rotl(hash ^ (Read(bytes, at, 4) * kPrime1), 23) * kPrime2 + kPrime3;
        at += 4;
    }
    for (; at < size; ++at) {
        hash = std::rotl(hash ^ (static_cast<unsigned char>(bytes[at]) * kPrime5), 11) * kPrime1;
    }
    hash ^= hash >> 33;
    hash *= kPrime2;
    hash ^= hash >> 29;
    hash *= kPrime3;
    return hash ^ (hash >> 32);
}

}  // namespace record
