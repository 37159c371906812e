#include "setup/core/install_journal.h"

#include <optional>
#include <utility>

#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/runtime_error.h"
#include "record/checksum.h"
#include "record/text_lines.h"

namespace setup {

namespace {

constexpr std::string_view kHeading = "Velmora_KZ 2.0.1 install journal 2";
constexpr std::size_t kSumLength = 16;

std::string_view PhaseName(Phase phase) {
    switch (phase) {
        case Phase::Doing:
            return "doing";
        case Phase::Undoing:
            return "undoing";
        case Phase::Forgetting:
            return "forgetting";
    }
    return {};
}

std::string ScopeName(platform::Scope scope) {
    return scope == platform::Scope::Everyone ? "everyone" : "user";
}

// Temporary and aside names only: they lie beside the change's place, and nothing read back can
// make them lie elsewhere.
std::string NameOrDash(const std::string& path) {
    return path.empty() ? std::string("-") : record::Escaped(platform::NameOf(path));
}

std::string EntryText(const Change& change) {
    std::string text = "entry " + ScopeName(change.scope);
    const auto& entry = change.earlierEntry;
    if (!entry) {
        return text + " none";
    }
    for (const std::string& field :
         {std::to_string(entry->estimatedSizeKb), entry->installDate, entry->installLocation,
          entry->displayIcon, entry->uninstallString}) {
        text += " " + (field.empty() ? std::string("-")
                                     : record::Escaped(field, record::Blanks::Escaped));
    }
    return text;
}

std::string ChangeText(const Change& change) {
    switch (change.kind) {
        case Change::Kind::Folder:
            return "folder " + record::Escaped(change.path);
        case Change::Kind::File:
        case Change::Kind::Tree:
            return std::string(change.kind == Change::Kind::File ? "file " : "tree ") +
                   NameOrDash(change.temporary) + " " + NameOrDash(change.aside) + " " +
                   record::Escaped(change.path);
        case Change::Kind::UninstallEntry:
            return EntryText(change);
        case Change::Kind::Kept:
            return "kept " + record::Escaped(change.aside, record::Blanks::Escaped) + " " +
                   record::Escaped(change.path);
    }
    return {};
}

std::string SumAndText(std::string_view text, std::uint64_t& chain) {
    chain = record::Checksum(text, chain);
    return record::Hex64(chain) + " " + std::string(text) + std::string(record::kLineEnd);
}

[[noreturn]] void Damaged(std::size_t lineNumber) {
    throw platform::RuntimeError(platform::error::kTypeMismatch,
                                 "line " + std::to_string(lineNumber));
}

std::optional<std::string> FullPath(std::string_view text) {
    auto path = record::Unescaped(text);
    if (!path || path->empty()) {
        return std::nullopt;
    }
    return path;
}

// A name the install made beside path, or "-" for none.
std::optional<std::string> Beside(const std::string& path, std::string_view field) {
    if (field == "-") {
        return std::string();
    }
    const auto name = record::Unescaped(field);
    if (!name || !name->starts_with(platform::kPartialFilePrefix) ||
        platform::NameOf(*name) != *name) {
        return std::nullopt;
    }
    return platform::SiblingOf(path, *name);
}

std::optional<Change> ParsePlacement(Change::Kind kind, std::string_view fields) {
    const std::string_view temporary = record::Word(fields);
    const std::string_view aside = record::Word(fields);
    Change change{.kind = kind};
    auto path = FullPath(fields);
    if (!path) {
        return std::nullopt;
    }
    change.path = std::move(*path);
    auto temporaryPath = Beside(change.path, temporary);
    auto asidePath = Beside(change.path, aside);
    if (!temporaryPath || temporaryPath->empty() || !asidePath) {
        return std::nullopt;
    }
    change.temporary = std::move(*temporaryPath);
    change.aside = std::move(*asidePath);
    return change;
}

std::optional<std::string> Field(std::string_view& fields) {
    const std::string_view word = record::Word(fields);
    if (word == "-") {
        return std::string();
    }
    return word.empty() ? std::nullopt : record::Unescaped(word);
}

std::optional<Change> ParseEntry(std::string_view fields) {
    const std::string_view scope = record::Word(fields);
    if (scope != "user" && scope != "everyone") {
        return std::nullopt;
    }
    Change change{.kind = Change::Kind::UninstallEntry,
                  .scope = scope == "user" ? platform::Scope::ThisUser : platform::Scope::Everyone};
    if (fields == "none") {
        return change;
    }
    platform::UninstallEntry entry;
    const auto size = Field(fields);
    auto date = Field(fields);
    auto location = Field(fields);
    auto icon = Field(fields);
    auto uninstall = Field(fields);
    if (!size || !date || !location || !icon || !uninstall || !fields.empty() ||
        !record::ParseNumber(*size, entry.estimatedSizeKb)) {
        return std::nullopt;
    }
    entry.installDate = std::move(*date);
    entry.installLocation = std::move(*location);
    entry.displayIcon = std::move(*icon);
    entry.uninstallString = std::move(*uninstall);
    change.earlierEntry = std::move(entry);
    return change;
}

std::optional<Phase> ParsePhase(std::string_view name) {
    for (const Phase phase : {Phase::Doing, Phase::Undoing, Phase::Forgetting}) {
        if (name == PhaseName(phase)) {
            return phase;
        }
    }
    return std::nullopt;
}

// One line of a journal's text: false when it is none of the journal's.
bool TakeLine(std::string_view text, Journal& journal) {
    const std::string_view keyword = record::Word(text);
    std::optional<Change> change;
    if (keyword == "phase") {
        const auto phase = ParsePhase(text);
        journal.phase = phase.value_or(journal.phase);
        return phase.has_value();
    }
    if (keyword == "install" && journal.destination.empty() && journal.changes.empty()) {
        auto path = FullPath(text);
        journal.destination = path.value_or(std::string());
        return path.has_value();
    }
    if (keyword == "folder") {
        auto path = FullPath(text);
        if (path) {
            change = Change{.kind = Change::Kind::Folder, .path = std::move(*path)};
        }
    } else if (keyword == "file" || keyword == "tree") {
        change = ParsePlacement(keyword == "file" ? Change::Kind::File : Change::Kind::Tree, text);
    } else if (keyword == "entry") {
        change = ParseEntry(text);
    } else if (keyword == "kept") {
        auto aside = FullPath(record::Word(text));
        auto path = FullPath(text);
        if (aside && path) {
            change = Change{.kind = Change::Kind::Kept, .path = *path, .aside = *aside};
        }
    }
    if (change) {
        journal.changes.push_back(std::move(*change));
    }
    return change.has_value();
}

std::string FormatJournal(const Journal& journal, std::uint64_t& chain) {
    chain = 0;
    std::string out = SumAndText(kHeading, chain);
    out += SumAndText("phase " + std::string(PhaseName(Phase::Doing)), chain);
    out += SumAndText("install " + record::Escaped(journal.destination), chain);
    for (const Change& change : journal.changes) {
        out += SumAndText(ChangeText(change), chain);
    }
    if (journal.phase != Phase::Doing) {
        out += SumAndText("phase " + std::string(PhaseName(journal.phase)), chain);
    }
    return out;
}

}  // namespace

std::string FormatJournal(const Journal& journal) {
    std::uint64_t chain = 0;
    return FormatJournal(journal, chain);
}

Journal ParseJournal(std::string_view text) {
    Journal journal;
    std::uint64_t chain = 0;
    std::size_t lineNumber = 0;
    // What follows the last line end is an entry a crash cut short.
    for (auto end = text.find(record::kLineEnd); end != std::string_view::npos;
         end = text.find(record::kLineEnd)) {
        ++lineNumber;
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + record::kLineEnd.size());
        const auto sum = record::ParseHex64(line.substr(0, kSumLength));
        const std::string_view lineText = line.substr(std::min(line.size(), kSumLength + 1));
        if (!sum || line.size() <= kSumLength || line[kSumLength] != ' ' ||
            *sum != record::Checksum(lineText, chain)) {
            Damaged(lineNumber);
        }
        chain = *sum;
        if (lineNumber == 1 ? lineText != kHeading : !TakeLine(lineText, journal)) {
            Damaged(lineNumber);
        }
    }
    if (lineNumber == 0) {
        Damaged(1);
    }
    return journal;
}

InstallJournal::InstallJournal(platform::FileSystem& files, std::string path, std::string folder)
    : files_(files), path_(std::move(path)), folder_(std::move(folder)) {}

// A journal already there is one that recovery did not settle: it must not be added to.
void InstallJournal::Begin(const std::string& destination) {
    if (files_.FactsOf(path_).kind != platform::EntryKind::None) {
        throw platform::RuntimeError(platform::error::kFileAlreadyExists, path_);
    }
    chain_ = 0;
    Append({std::string(kHeading), "phase " + std::string(PhaseName(Phase::Doing)),
            "install " + record::Escaped(destination)});
    begun_ = true;
    files_.SyncFolder(folder_);
}

void InstallJournal::Add(const std::vector<Change>& changes) {
    std::vector<std::string> texts;
    texts.reserve(changes.size());
    for (const Change& change : changes) {
        texts.push_back(ChangeText(change));
    }
    Append(texts);
}

void InstallJournal::SetPhase(Phase phase) {
    Append({"phase " + std::string(PhaseName(phase))});
}

void InstallJournal::Rewrite(const Journal& journal) {
    std::uint64_t chain = 0;
    const std::string text = FormatJournal(journal, chain);
    files_.ReplaceFile(path_, text);
    files_.SyncFolder(folder_);
    chain_ = chain;
    begun_ = true;
}

void InstallJournal::End() {
    if (!begun_) {
        return;
    }
    files_.RemoveOneFile(path_);
    files_.SyncFolder(folder_);
    begun_ = false;
}

// The chain moves on only with what reached the disk.
void InstallJournal::Append(const std::vector<std::string>& texts) {
    std::uint64_t chain = chain_;
    std::string lines;
    for (const auto& text : texts) {
        lines += SumAndText(text, chain);
    }
    files_.AppendDurably(path_, lines);
    chain_ = chain;
}

}  // namespace setup
