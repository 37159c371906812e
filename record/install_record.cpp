#include "record/install_record.h"

#include <algorithm>

#include "platform/runtime_error.h"
#include "record/text_lines.h"

namespace record {

namespace {

// The second ends in an "end" line, so that one cut short at a line end shows; the first, as
// the earlier version wrote it, is read without.
constexpr std::string_view kHeader = "Velmora_KZ 2.0.1 install record 2";
constexpr std::string_view kEnd = "end";
constexpr std::string_view kFirstHeader = "Velmora_KZ 2.0.1 install record 1";
constexpr std::string_view kEarlierPrefix = "xxh64:";
constexpr std::string_view kSizeAndTime = "size-and-time";

[[noreturn]] void NotARecord(std::size_t lineNumber) {
    throw platform::RuntimeError(platform::error::kTypeMismatch,
                                 "line " + std::to_string(lineNumber));
}

// A file's contents field, by the format of the record it is in; a size-and-time line only
// where the first format had no hash for it.
std::optional<KnownContents> ParseContents(std::string_view text, std::int64_t size,
                                           bool firstFormat) {
    const bool large = size > kEarlierHashedSizeLimit;
    if (text == (firstFormat ? "-" : kSizeAndTime)) {
        return large ? KnownContents{SizeAndTime{}} : KnownContents{NoHash{}};
    }
    if (text == "-") {
        return NoHash{};
    }
    if (firstFormat || text.starts_with(kEarlierPrefix)) {
        const auto xxh64 = ParseHex64(firstFormat ? text : text.substr(kEarlierPrefix.size()));
        return xxh64 ? std::optional<KnownContents>(EarlierHash{*xxh64}) : std::nullopt;
    }
    const auto xxh3 = platform::ParseContentHash(text);
    return xxh3 ? std::optional<KnownContents>(*xxh3) : std::nullopt;
}

std::string ContentsText(const KnownContents& contents) {
    if (const auto* xxh3 = std::get_if<platform::ContentHash>(&contents)) {
        return platform::HexOf(*xxh3);
    }
    if (const auto* earlier = std::get_if<EarlierHash>(&contents)) {
        return std::string(kEarlierPrefix) + Hex64(earlier->xxh64);
    }
    return std::holds_alternative<SizeAndTime>(contents) ? std::string(kSizeAndTime) : "-";
}

[[noreturn]] void CutShort(std::size_t lineNumber) {
    throw platform::RuntimeError(platform::error::kInputPastEndOfFile,
                                 "line " + std::to_string(lineNumber));
}

std::optional<PlacedFile> ParseFile(std::string_view fields, bool firstFormat) {
    PlacedFile file;
    const std::string_view size = Word(fields);
    const std::string_view modified = Word(fields);
    const std::string_view hash = Word(fields);
    if (!ParseNumber(size, file.size) || !ParseNumber(modified, file.modified) || file.size < 0 ||
        file.size > kLargestPlacedFile) {
        return std::nullopt;
    }
    // The first format hashed only the files it could read back whole; a hash of more is not its.
    if (firstFormat && hash != "-" && file.size > kEarlierHashedSizeLimit) {
        return std::nullopt;
    }
    auto contents = ParseContents(hash, file.size, firstFormat);
    if (!contents) {
        return std::nullopt;
    }
    file.contents = *contents;
    auto path = Unescaped(fields);
    if (!path || path->empty()) {
        return std::nullopt;
    }
    file.path = std::move(*path);
    return file;
}

void AddOnce(std::vector<std::string>& list, const std::string& item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) {
        list.push_back(item);
    }
}

}  // namespace

std::string Format(const InstallRecord& record) {
    std::string text(kHeader);
    text += kLineEnd;
    text += record.scope == platform::Scope::Everyone ? "scope everyone" : "scope user";
    text += kLineEnd;
    for (const auto& folder : record.installFolders) {
        text += "install " + Escaped(folder) + std::string(kLineEnd);
    }
    for (const auto& folder : record.createdFolders) {
        text += "folder " + Escaped(folder) + std::string(kLineEnd);
    }
    for (const auto& file : record.files) {
        text += "file " + std::to_string(file.size) + " " + std::to_string(file.modified) + " " +
                ContentsText(file.contents) + " " + Escaped(file.path) + std::string(kLineEnd);
    }
    for (const auto& kept : record.kept) {
        text += "kept " + Escaped(kept.path, Blanks::Escaped) + " " + Escaped(kept.keptAt) +
                std::string(kLineEnd);
    }
    text += kEnd;
    text += kLineEnd;
    return text;
}

InstallRecord Parse(std::string_view text) {
    InstallRecord record;
    bool scopeSeen = false;
    bool firstFormat = false;
    bool endSeen = false;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const auto end = text.find(kLineEnd);
        if (end == std::string_view::npos) {
            CutShort(lineNumber);
        }
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + kLineEnd.size());
        if (lineNumber == 1) {
            firstFormat = line == kFirstHeader;
            if (line != kHeader && !firstFormat) {
                NotARecord(lineNumber);
            }
            continue;
        }
        if (endSeen) {
            NotARecord(lineNumber);  // nothing follows the end
        }
        const std::string_view keyword = Word(line);
        if (!firstFormat && keyword == kEnd && line.empty()) {
            endSeen = true;
        } else if (keyword == "scope" && !scopeSeen && (line == "user" || line == "everyone")) {
            record.scope = line == "user" ? platform::Scope::ThisUser : platform::Scope::Everyone;
            scopeSeen = true;
        } else if (keyword == "install" || keyword == "folder") {
            auto path = Unescaped(line);
            if (!path || path->empty()) {
                NotARecord(lineNumber);
            }
            (keyword == "install" ? record.installFolders : record.createdFolders)
                .push_back(std::move(*path));
        } else if (keyword == "file") {
            auto file = ParseFile(line, firstFormat);
            if (!file) {
                NotARecord(lineNumber);
            }
            record.files.push_back(std::move(*file));
        } else if (keyword == "kept" && !firstFormat) {
            auto path = Unescaped(Word(line));
            auto keptAt = Unescaped(line);
            if (!path || path->empty() || !keptAt || keptAt->empty()) {
                NotARecord(lineNumber);
            }
            record.kept.push_back({std::move(*path), std::move(*keptAt)});
        } else {
            NotARecord(lineNumber);
        }
    }
    if (lineNumber == 0) {
        NotARecord(1);
    }
    if (!firstFormat && !endSeen) {
        CutShort(lineNumber + 1);
    }
    if (!scopeSeen) {
        NotARecord(lineNumber + 1);
    }
    return record;
}

void Merge(InstallRecord& earlier, const InstallRecord& later) {
    earlier.scope = later.scope;
    for (const auto& folder : later.installFolders) {
        AddOnce(earlier.installFolders, folder);
    }
    for (const auto& folder : later.createdFolders) {
        AddOnce(earlier.createdFolders, folder);
    }
    for (const auto& file : later.files) {
        const auto known =
            std::find_if(earlier.files.begin(), earlier.files.end(),
                         [&file](const PlacedFile& f) { return f.path == file.path; });
        if (known != earlier.files.end()) {
            *known = file;
        } else {
            earlier.files.push_back(file);
        }
    }
    for (const auto& kept : later.kept) {
        if (std::find(earlier.kept.begin(), earlier.kept.end(), kept) == earlier.kept.end()) {
            earlier.kept.push_back(kept);
        }
    }
}

void Write(platform::FileSystem& files, const std::string& path, const InstallRecord& record) {
    files.ReplaceFile(path, Format(record));
}

std::optional<InstallRecord> Read(platform::FileSystem& files, const std::string& path) {
    if (files.FactsOf(path).kind == platform::EntryKind::None) {
        return std::nullopt;
    }
    const std::string text = files.ReadPrefix(path, kMaxRecordBytes + 1, platform::Links::Refuse);
    if (text.size() > kMaxRecordBytes) {
        throw platform::RuntimeError(platform::error::kBadRecordLength, path);
    }
    try {
        return Parse(text);
    } catch (const platform::RuntimeError& error) {
        throw platform::RuntimeError(error.Number(), path + ", " + error.Place());
    }
}

}  // namespace record
