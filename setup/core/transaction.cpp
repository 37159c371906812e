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
    for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
        try {
            Undo(services, *change);
        } catch (const platform::RuntimeError& error) {
            failures.push_back({*change, error, KeptAside(services, *change)});
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

// The earlier files' names are reserved first, so that a failure there leaves only temporaries.
void Transaction::Place(const std::vector<Placement>& placements,
                        const std::function<void(std::size_t)>& beforeEach) {
    const auto next = [&beforeEach](std::size_t index) {
        if (beforeEach) {
            beforeEach(index);
        }
    };
    std::vector<Change> changes;
    std::vector<std::size_t> indexes;
    try {
        for (std::size_t i = 0; i < placements.size(); ++i) {
            const Placement& placement = placements[i];
            if (placement.temporary.empty()) {
                continue;
            }
            next(i);
            indexes.push_back(i);
            Change change{.kind = Change::Kind::File,
                          .path = placement.path,
                          .temporary = placement.temporary};
            if (placement.earlier == Earlier::Keep) {
                change.aside = files_.ReserveAside(placement.path);
            }
            changes.push_back(std::move(change));
        }
    } catch (const platform::RuntimeError&) {
        for (const Change& change : changes) {
            files_.RemoveFile(change.aside);
        }
        for (const Placement& placement : placements) {
            files_.RemoveFile(placement.temporary);
        }
        throw;
    }
    Record(changes);
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const Change& change = changes[i];
        next(indexes[i]);
        if (!change.aside.empty()) {
            files_.PutInPlace(change.path, change.aside);
        }
        files_.PutInPlace(change.temporary, change.path);
    }
}

void Transaction::PlaceTree(const std::string& path,
                            const std::function<void(const std::string&)>& fill) {
    const std::string staging = files_.MakeStagingFolder(path);
    try {
        fill(staging);
    } catch (const platform::RuntimeError&) {
        try {
            files_.RemoveTree(staging);
        } catch (const platform::RuntimeError&) {
            // The next install's clean-up takes it.
        }
        throw;
    }
    const bool hadEarlier = IsThere(path);
    Record({{.kind = Change::Kind::Tree,
             .path = path,
             .temporary = staging,
             .aside = hadEarlier ? staging + "-earlier" : std::string()}});
    if (hadEarlier) {
        files_.MoveFolder(path, changes_.back().aside);
    }
    files_.MoveFolder(staging, path);
}

void Transaction::SetUninstallEntry(platform::Scope scope, const platform::UninstallEntry& entry) {
    Record({{.kind = Change::Kind::UninstallEntry,
             .scope = scope,
             .earlierEntry = services_.ReadUninstallEntry(scope)}});
    services_.WriteUninstallEntry(scope, entry);
}

// The moves must be on the disk before the journal says they need not be taken back.
void Transaction::MakeDurable() {
    SyncEach(files_, FoldersMovedIn(changes_));
}

void Transaction::Commit() {
    MakeDurable();
    journal_.SetPhase(Phase::Forgetting);
    forgetting_ = true;
    ForgetAll(services_, changes_);
    journal_.End();
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
