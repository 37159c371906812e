#include "setup/core/install_journal.h"

#include <charconv>
#include <utility>

namespace setup {

namespace {

constexpr std::string_view kHeading = "Velmora_KZ 2.0.1 install journal\n";

// A field is its length, a colon and its bytes, so that any bytes of a path survive.
void Put(std::string& out, std::string_view field) {
    out += std::to_string(field.size());
    out += ':';
    out += field;
}

std::optional<std::string> Take(std::string_view& in) {
    const auto colon = in.find(':');
    std::size_t size = 0;
    if (colon == std::string_view::npos ||
        std::from_chars(in.data(), in.data() + colon, size).ptr != in.data() + colon ||
        in.size() - colon - 1 < size) {
        return std::nullopt;
    }
    std::string field(in.substr(colon + 1, size));
    in.remove_prefix(colon + 1 + size);
    return field;
}

bool TakeWord(std::string_view& in, std::string_view word) {
    if (!in.starts_with(word)) {
        return false;
    }
    in.remove_prefix(word.size());
    return true;
}

}  // namespace

std::string Serialized(const JournalRecord& record) {
    std::string out(kHeading);
    out += "destination ";
    Put(out, record.destination);
    out += "\nearlier ";
    switch (record.earlier) {
        case JournalRecord::Earlier::None:
            out += "none";
            break;
        case JournalRecord::Earlier::Unknown:
            out += "unknown";
            break;
        case JournalRecord::Earlier::Known:
            Put(out, record.earlierHandover);
            break;
    }
    out += '\n';
    for (const CommitEntry& entry : record.commit) {
        out += "file ";
        Put(out, entry.destination);
        Put(out, entry.temporary);
        Put(out, entry.aside);
        out += '\n';
    }
    return out;
}

std::optional<JournalRecord> ParsedJournal(std::string_view in) {
    JournalRecord record;
    if (!TakeWord(in, kHeading) || !TakeWord(in, "destination ")) {
        return std::nullopt;
    }
    auto destination = Take(in);
    if (!destination || !TakeWord(in, "\nearlier ")) {
        return std::nullopt;
    }
    record.destination = std::move(*destination);
    if (TakeWord(in, "none")) {
        record.earlier = JournalRecord::Earlier::None;
    } else if (TakeWord(in, "unknown")) {
        record.earlier = JournalRecord::Earlier::Unknown;
    } else if (auto earlier = Take(in)) {
        record.earlier = JournalRecord::Earlier::Known;
        record.earlierHandover = std::move(*earlier);
    } else {
        return std::nullopt;
    }
    if (!TakeWord(in, "\n")) {
        return std::nullopt;
    }
    while (TakeWord(in, "file ")) {
        auto target = Take(in);
        auto temporary = Take(in);
        auto aside = Take(in);
        if (!target || !temporary || !aside || !TakeWord(in, "\n")) {
            return std::nullopt;
        }
        record.commit.push_back({std::move(*target), std::move(*temporary), std::move(*aside)});
    }
    if (!in.empty()) {
        return std::nullopt;
    }
    return record;
}

InstallJournal::InstallJournal(platform::FileSystem& files, std::string path, std::string folder)
    : files_(files), path_(std::move(path)), folder_(std::move(folder)) {}

void InstallJournal::Begin(JournalRecord record) {
    record_ = std::move(record);
    Write();
    begun_ = true;
}

void InstallJournal::BeginCommit(std::vector<CommitEntry> commit) {
    record_.commit = std::move(commit);
    Write();
}

void InstallJournal::End() {
    if (!begun_) {
        return;
    }
    files_.RemoveFile(path_);
    files_.SyncFolder(folder_);
    begun_ = false;
}

// The file is whole on the disk, and its name in its folder, before the change it covers.
void InstallJournal::Write() {
    files_.ReplaceFile(path_, Serialized(record_));
    files_.SyncFolder(folder_);
}

}  // namespace setup
