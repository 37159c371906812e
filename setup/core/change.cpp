#include "setup/core/change.h"

namespace setup {

namespace {

bool IsThere(platform::FileSystem& files, const std::string& path) {
    return !path.empty() && files.FactsOf(path).kind != platform::EntryKind::None;
}

void RemoveIfThere(platform::FileSystem& files, const std::string& path) {
    if (IsThere(files, path)) {
        files.RemoveOneFile(path);
    }
}

// While the new file waits under its temporary name, the earlier one is at its place or aside
// (moved over its reserved, empty name); once the new one is in, the earlier one is aside.
void UndoFile(platform::FileSystem& files, const Change& change) {
    const bool newWaiting = IsThere(files, change.temporary);
    if (!change.aside.empty() && IsThere(files, change.aside)) {
        if (newWaiting && IsThere(files, change.path)) {
            files.RemoveOneFile(change.aside);  // only reserved
        } else {
            files.PutInPlace(change.aside, change.path);
        }
    } else if (change.aside.empty() && !newWaiting) {
        RemoveIfThere(files, change.path);
    }
    RemoveIfThere(files, change.temporary);
}

// The new tree leaves its place under its temporary name again before the earlier one comes
// back, so that each state on the way tells the next step. Nothing aside and nothing waiting, with
// an earlier tree, means the earlier tree is back.
void UndoTree(platform::FileSystem& files, const Change& change) {
    const bool hadEarlier = !change.aside.empty();
    if (!IsThere(files, change.temporary)) {
        if (hadEarlier ? !IsThere(files, change.aside) : !IsThere(files, change.path)) {
            return;
        }
        files.MoveFolder(change.path, change.temporary);
    }
    if (hadEarlier && IsThere(files, change.aside) && !IsThere(files, change.path)) {
        files.MoveFolder(change.aside, change.path);
    }
    files.RemoveTree(change.temporary);
}

// Anything else there is not the install's to remove.
void UndoFolder(platform::FileSystem& files, const Change& change) {
    if (IsThere(files, change.path) && files.EntriesOf(change.path).empty()) {
        files.RemoveEmptyFolder(change.path);
    }
}

void UndoUninstallEntry(platform::Services& services, const Change& change) {
    if (change.earlierEntry) {
        services.WriteUninstallEntry(change.scope, *change.earlierEntry);
    } else {
        services.RemoveUninstallEntry(change.scope);
    }
}

}  // namespace

void Undo(platform::Services& services, const Change& change) {
    platform::FileSystem& files = services.Files();
    switch (change.kind) {
        case Change::Kind::Folder:
            UndoFolder(files, change);
            break;
        case Change::Kind::File:
            UndoFile(files, change);
            break;
        case Change::Kind::Tree:
            UndoTree(files, change);
            break;
        case Change::Kind::UninstallEntry:
            UndoUninstallEntry(services, change);
            break;
    }
}

void Forget(platform::Services& services, const Change& change) {
    platform::FileSystem& files = services.Files();
    if (change.kind == Change::Kind::File) {
        RemoveIfThere(files, change.aside);
        RemoveIfThere(files, change.temporary);
    } else if (change.kind == Change::Kind::Tree && IsThere(files, change.aside)) {
        files.RemoveTree(change.aside);
    }
}

// A file's reserved name holds the earlier file only once it has left its place.
std::string KeptAside(platform::Services& services, const Change& change) {
    platform::FileSystem& files = services.Files();
    const bool keeps = change.kind == Change::Kind::File || change.kind == Change::Kind::Tree;
    const bool onlyReserved = change.kind == Change::Kind::File &&
                              IsThere(files, change.temporary) && IsThere(files, change.path);
    return keeps && !onlyReserved && IsThere(files, change.aside) ? change.aside : std::string();
}

}  // namespace setup
