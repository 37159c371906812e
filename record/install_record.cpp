#include "record/install_record.h"

#include <algorithm>

#include "platform/runtime_error.h"
#include "record/file_identity.h"
#include "record/text_lines.h"

namespace record {

namespace {

// The second ends in an "end" line, so that one cut short at a line end shows; the first, as
// the earlier version wrote it, is read without.
constexpr std::string_view kHeader = "Velmora_KZ 2.0.1 install record 2";
constexpr std::string_view kHeaderWithoutEnd = "Velmora_KZ 2.0.1 install record 1";
constexpr std::string_view kEnd = "end";

[[noreturn]] void NotARecord(std::size_t lineNumber) {
    throw platform::RuntimeError(platform::error::kTypeMismatch,
                                 "line " + std::to_string(lineNumber));
}

[[noreturn]] void CutShort(std::size_t lineNumber) {
    throw platform::RuntimeError(platform::error::kInputPastEndOfFile,
                                 "line " + std::to_string(lineNumber));
}

std::optional<PlacedFile> ParseFile(std::string_view fields) {
    PlacedFile file;
    const std::string_view size = Word(fields);
    const std::string_view modified = Word(fields);
    const std::string_view hash = Word(fields);
    if (!ParseNumber(size, file.size) || !ParseNumber(modified, file.modified) || file.size < 0 ||
        file.size > kLargestPlacedFile) {
        return std::nullopt;
    }
    // Setup hashes only the files it can read back whole; a hash of more is not its own.
    if (hash != "-" && file.size > kHashedSizeLimit) {
        return std::nullopt;
    }
    if (hash != "-") {
        file.hash = ParseHex64(hash);
        if (!file.hash) {
            return std::nullopt;
        }
    }
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
        const std::string hash = file.hash ? Hex64(*file.hash) : "-";
        text += "file " + std::to_string(file.size) + " " + std::to_string(file.modified) + " " +
                hash + " " + Escaped(file.path) + std::string(kLineEnd);
    }
    text += kEnd;
    text += kLineEnd;
    return text;
}

InstallRecord Parse(std::string_view text) {
    InstallRecord record;
    bool scopeSeen = false;
    bool endExpected = true;
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
            if (line != kHeader && line != kHeaderWithoutEnd) {
                NotARecord(lineNumber);
            }
            endExpected = line == kHeader;
            continue;
        }
        if (endSeen) {
            NotARecord(lineNumber);  // nothing follows the end
        }
        const std::string_view keyword = Word(line);
        if (endExpected && keyword == kEnd && line.empty()) {
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
            auto file = ParseFile(line);
            if (!file) {
                NotARecord(lineNumber);
            }
            record.files.push_back(std::move(*file));
        } else {
            NotARecord(lineNumber);
        }
    }
    if (lineNumber == 0) {
        NotARecord(1);
    }
    if (endExpected && !endSeen) {
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
