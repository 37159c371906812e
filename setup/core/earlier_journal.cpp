#include "setup/core/earlier_journal.h"

#include <charconv>
#include <cstddef>
#include <string>
#include <vector>

#include "setup/core/queries.h"

namespace setup {

namespace {

constexpr std::string_view kHeading = "Velmora_KZ 2.0.1 install journal\n";

struct Entry {
    std::string destination;
    std::string temporary;
    std::string aside;  // "" when there was no earlier file
};

struct EarlierJournal {
    std::string destination;
    std::optional<std::string> earlierHandover;  // nothing: none, or not the launcher's
    std::vector<Entry> commit;
};

// A field is its length, a colon and its bytes.
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

std::optional<EarlierJournal> Parsed(std::string_view in) {
    EarlierJournal journal;
    std::optional<std::string> destination;
    if (!TakeWord(in, kHeading) || !TakeWord(in, "destination ") || !(destination = Take(in)) ||
        !TakeWord(in, "\nearlier ")) {
        return std::nullopt;
    }
    journal.destination = std::move(*destination);
    if (!TakeWord(in, "none") && !TakeWord(in, "unknown")) {
        journal.earlierHandover = Take(in);
        if (!journal.earlierHandover) {
            return std::nullopt;
        }
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
        journal.commit.push_back({std::move(*target), std::move(*temporary), std::move(*aside)});
    }
    if (!in.empty()) {
        return std::nullopt;
    }
    return journal;
}

bool IsThere(platform::FileSystem& files, const std::string& path) {
    return !path.empty() && FileExists(files, path) != FileExistsResult::NotThere;
}

// That build reserved each earlier file's name with an empty file before moving it there, so a
// name aside holds the earlier file only once its new one left its temporary name, or the
// destination is empty.
void PutBack(platform::FileSystem& files, const platform::Layout& layout,
             const EarlierJournal& journal) {
    for (std::size_t i = journal.commit.size(); i-- > 0;) {
        const auto& entry = journal.commit[i];
        const bool placed = !IsThere(files, entry.temporary);
        const bool hadEarlier = !entry.aside.empty();
        if (hadEarlier && (placed || !IsThere(files, entry.destination))) {
            files.PutInPlace(entry.aside, entry.destination);
        } else if (hadEarlier) {
            files.RemoveFile(entry.aside);
        } else if (placed) {
            files.RemoveFile(entry.destination);
        }
        files.RemoveFile(entry.temporary);
    }
    if (journal.earlierHandover) {
        files.ReplaceFile(layout.HandoverFile(), *journal.earlierHandover);
    } else {
        files.RemoveFile(layout.HandoverFile());
    }
}

}  // namespace

std::optional<Recovery> RecoverEarlierJournal(platform::Services& services,
                                              const platform::Layout& layout, std::string_view text,
                                              const ConfinementCheck& confine) {
    const auto journal = Parsed(text);
    if (!journal) {
        return std::nullopt;
    }
    std::vector<std::string> places;
    for (const Entry& entry : journal->commit) {
        for (const std::string* place : {&entry.destination, &entry.temporary, &entry.aside}) {
            if (!place->empty()) {
                places.push_back(*place);
            }
        }
    }
    confine(journal->destination, places);
    platform::FileSystem& files = services.Files();
    bool everyNewFileIn = !journal->commit.empty();
    for (const Entry& entry : journal->commit) {
        everyNewFileIn = everyNewFileIn && !IsThere(files, entry.temporary);
    }
    if (everyNewFileIn) {
        for (const Entry& entry : journal->commit) {
            files.RemoveFile(entry.aside);
        }
    } else {
        PutBack(files, layout, *journal);
    }
    if (IsThere(files, journal->destination)) {
        files.SyncFolder(journal->destination);
    }
    return everyNewFileIn ? Recovery::Finished : Recovery::PutBack;
}

}  // namespace setup
