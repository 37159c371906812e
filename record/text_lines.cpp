#include "record/text_lines.h"

#include <algorithm>
#include <cstdio>

namespace record {

std::string Escaped(std::string_view text, Blanks blanks) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        if (c == '%' || c == '\r' || c == '\n' || c == '\0' ||
            (c == ' ' && blanks == Blanks::Escaped)) {
            char code[4] = {};
            std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
            escaped += code;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::optional<std::string> Unescaped(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            plain += text[i];
            continue;
        }
        unsigned char code = 0;
        if (i + 3 > text.size() || !ParseNumber(text.substr(i + 1, 2), code, 16)) {
            return std::nullopt;
        }
        plain += static_cast<char>(code);
        i += 2;
    }
    return plain;
}

std::string_view Word(std::string_view& line) {
    const auto end = std::min(line.find(' '), line.size());
    const std::string_view word = line.substr(0, end);
    line.remove_prefix(std::min(end + 1, line.size()));
    return word;
}

std::string Hex64(std::uint64_t value) {
    char text[20] = {};
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

std::optional<std::uint64_t> ParseHex64(std::string_view text) {
    std::uint64_t value = 0;
    if (text.size() != 16 || !ParseNumber(text, value, 16)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace record
