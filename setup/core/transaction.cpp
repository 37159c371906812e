#include "setup/core/transaction.h"

#include <set>

#include "platform/paths.h"
#include "platform/platform.h"

namespace setup {

namespace {

// The folders whose entries the changes moved, so that those moves last through a crash.
std::set<std::string> FoldersMovedIn(const std::vector<Change>& changes) {
    std::set<std::string> folders;
    for (const Change& change : changes) {
        if (change.kind != Change::Kind::UninstallEntry) {
            folders.insert(platform::ParentOf(change.path));
        }
        if (change.kind == Change::Kind::Kept) {
            folders.insert(platform::ParentOf(change.aside));
        }
    }
    return folders;
}

void SyncEach(platform::FileSystem& files, const std::set<std::string>& folders) {
    for (const auto& folder : folders) {
        if (files.FactsOf(folder).kind == platform::EntryKind::Folder) {
            files.SyncFolder(folder);
        }
    }
}

}  // namespace

std::vector<UndoFailure> UndoAll(platform::Services& services, const std::vector<Change>& changes) {
    std::vector<UndoFailure> failures;
    for (std::size_t i = changes.size(); i-- > 0;) {
        const Change& change = changes[i];
        try {
            Undo(services, change);
        } catch (const platform::RuntimeError& error) {
            failures.push_back({change, error, KeptAside(services, change)});
        }
    }
    try {
        SyncEach(services.Files(), FoldersMovedIn(changes));
    } catch (const platform::RuntimeError& error) {
        failures.push_back({{}, error, {}});
    }
    return failures;
}

void ForgetAll(platform::Services& services, const std::vector<Change>& changes) {
    for (const Change& change : changes) {
        try {
            Forget(services, change);
        } catch (const platform::RuntimeError&) {
        }
    }
}

std::string UndoFailureText(const std::vector<UndoFailure>& failures, const std::string& journal) {
    std::string text;
    for (const UndoFailure& failure : failures) {
        const std::string& place = failure.change.path;
        if (!failure.keptAt.empty()) {
            text += "The earlier " + place + " is kept as " + failure.keptAt + ".\r\n";
        } else if (!place.empty()) {
            text += "Could not take back " + place + ": " + failure.error.Description() + ".\r\n";
        }
    }
    return text + "Setup keeps " + journal + " and puts the rest back when it starts again.";
}

Placement CopyOf(const std::string& source, const std::string& path, CopyCheck check) {
    return {path,
            [source, check = std::move(check)](
                platform::FileSystem& files, const std::string& temporary,
                const std::string& becomes) -> std::optional<platform::FileContents> {
                const platform::FileContents copied = files.CopyNewFile(source, temporary, becomes);
                if (check) {
                    check(source, copied);
                }
                return copied;
            }};
}

Placement TextAt(const std::string& path, const std::string& contents, Earlier earlier) {
    return {path,
            [contents](platform::FileSystem& files, const std::string& temporary,
                       const std::string& becomes) -> std::optional<platform::FileContents> {
                files.WriteNewFile(temporary, contents, becomes);
                return platform::FileContents{static_cast<std::int64_t>(contents.size()),
                                              platform::HashOf(contents)};
            },
            earlier};
}

// The system writes a shortcut's bytes itself: they are read back when recorded.
Placement ShortcutAt(const std::string& path, const platform::Shortcut& shortcut) {
    return {path,
            [shortcut](platform::FileSystem& files, const std::string& temporary,
                       const std::string& becomes) -> std::optional<platform::FileContents> {
                files.WriteNewShortcut(temporary, shortcut, becomes);
                return std::nullopt;
            }};
}

Transaction::Transaction(platform::Services& services, InstallJournal& journal)
    : services_(services), files_(services.Files()), journal_(journal) {}

void Transaction::Begin(const std::string& destination) {
    journal_.Begin(destination);
}

bool Transaction::IsThere(const std::string& path) {
    return files_.FactsOf(path).kind != platform::EntryKind::None;
}

// In the journal, and on the disk, before any of them is begun.
void Transaction::Record(const std::vector<Change>& changes) {
    journal_.Add(changes);
    changes_.insert(changes_.end(), changes.begin(), changes.end());
}

void Transaction::MakeFolder(const std::string& path) {
    Record({{.kind = Change::Kind::Folder, .path = path}});
    files_.CreateFolder(path);
}

void Transaction::MakeMissingFolders(const std::string& path) {
    std::vector<Change> missing;
    for (const auto& folder : platform::FoldersOnTheWay(path)) {
        if (!IsThere(folder)) {
            missing.push_back({.kind = Change::Kind::Folder, .path = folder});
        }
    }
    if (missing.empty()) {
        return;
    }
    Record(missing);
    for (const Change& folder : missing) {
        files_.CreateFolder(folder.path);
    }
}

void Transaction::Place(const Placement& placement) {
    Place(std::vector<Placement>{placement});
}

std::string Transaction::AsideFor(const std::string& path, Earlier earlier) {
    return earlier == Earlier::Keep && IsThere(path) ? platform::PartialNameBeside(path)
                                                     : std::string();
}

void Transaction::Place(const std::vector<Placement>& placements,
                        const std::function<void(std::size_t)>& beforeEach) {
    const auto next = [&beforeEach](std::size_t index) {
        if (beforeEach) {
            beforeEach(index);
        }
    };
    std::vector<Change> changes;
    changes.reserve(placements.size());
    for (const Placement& placement : placements) {
        changes.push_back({.kind = Change::Kind::File,
                           .path = placement.path,
                           .temporary = platform::PartialNameBeside(placement.path),
                           .aside = AsideFor(placement.path, placement.earlier)});
    }
    Record(changes);
    for (std::size_t i = 0; i < placements.size(); ++i) {
        next(i);
        const auto contents = placements[i].write(files_, changes[i].temporary, placements[i].path);
        if (contents) {
            written_[placements[i].path] = *contents;
        } else {
            written_.erase(placements[i].path);
        }
    }
    for (std::size_t i = 0; i < changes.size(); ++i) {
        next(i);
        if (!changes[i].aside.empty()) {
            files_.MoveToNewName(changes[i].path, changes[i].aside);
        }
        files_.PutInPlace(changes[i].temporary, changes[i].path);
    }
}

void Transaction::PlaceTree(const std::string& path,
                            const std::function<void(const std::string&)>& fill) {
    const Change change{.kind = Change::Kind::Tree,
                        .path = path,
                        .temporary = platform::PartialNameBeside(path),
                        .aside = AsideFor(path, Earlier::Keep)};
    Record({change});
    files_.CreateFolder(change.temporary);
    fill(change.temporary);
    if (!change.aside.empty()) {
        files_.MoveToNewName(path, change.aside);
    }
    files_.MoveToNewName(change.temporary, path);
}

void Transaction::SetUninstallEntry(platform::Scope scope, const platform::UninstallEntry& entry) {
    Record({{.kind = Change::Kind::UninstallEntry,
             .scope = scope,
             .earlierEntry = services_.ReadUninstallEntry(scope)}});
    services_.WriteUninstallEntry(scope, entry);
}

// Moved, which keeps its owner, mode and time; on another volume copied, the file itself then
// set aside in its own folder by the placement that replaces it, as any earlier file is.
void Transaction::Keep(const std::string& path, const std::string& keptAt) {
    Record({{.kind = Change::Kind::Kept, .path = path, .aside = keptAt}});
    try {
        files_.MoveToNewName(path, keptAt);
    } catch (const platform::RuntimeError& error) {
        if (!platform::OnAnotherVolume(error)) {
            throw;
        }
        files_.CopyNewFile(path, keptAt, keptAt);
    }
}

// The moves must be on the disk before the journal says they need not be taken back.
void Transaction::MakeDurable() {
    SyncEach(files_, FoldersMovedIn(changes_));
}

// Once the journal says forgetting, the new installation is whole whatever follows: a journal
// that cannot be removed is finished by the next start.
void Transaction::Commit() {
    MakeDurable();
    journal_.SetPhase(Phase::Forgetting);
    forgetting_ = true;
    ForgetAll(services_, changes_);
    try {
        journal_.End();
    } catch (const platform::RuntimeError&) {
    }
}

// A journal that cannot say it is undoing still says doing, which a crash also takes back.
std::vector<UndoFailure> Transaction::Undo() {
    if (!journal_.Begun() || forgetting_) {
        return {};
    }
    try {
        journal_.SetPhase(Phase::Undoing);
    } catch (const platform::RuntimeError&) {
    }
    std::vector<UndoFailure> failures = UndoAll(services_, changes_);
    if (failures.empty()) {
        try {
            journal_.End();
        } catch (const platform::RuntimeError& error) {
            failures.push_back({{}, error, {}});
        }
    }
    return failures;
}

}  // namespace setup
