#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The text of the files Setup keeps for later runs, the install record and the install journal:
// CR LF lines, each a keyword and its fields, blank-separated, the last of them a path. The bytes
// that would break a line, and the escape itself, are written as %XX; so is a blank in any field
// but the last.
namespace record {

inline constexpr std::string_view kLineEnd = "\r\n";

enum class Blanks { Kept, Escaped };
std::string Escaped(std::string_view text, Blanks blanks = Blanks::Kept);
// Nothing for a broken escape.
std::optional<std::string> Unescaped(std::string_view text);

// The next field of a line, taken off its front.
std::string_view Word(std::string_view& line);

template <typename Number>
bool ParseNumber(std::string_view text, Number& value, int base = 10) {
    const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return failed == std::errc() && end == text.data() + text.size();
}

// 16 hex digits, and back.
std::string Hex64(std::uint64_t value);
std::optional<std::uint64_t> ParseHex64(std::string_view text);

}  // namespace record
