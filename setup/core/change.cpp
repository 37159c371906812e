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

// The journal names both the new file's name and the earlier one's place aside before either
// is made, and the earlier one only ever gets there by leaving its place: whatever is aside is
// the earlier file. Without an earlier one, a new file no longer waiting is at its place, or was
// never made.
void UndoFile(platform::FileSystem& files, const Change& change) {
    if (!change.aside.empty()) {
        if (IsThere(files, change.aside)) {
            files.PutInPlace(change.aside, change.path);
        }
    } else if (!IsThere(files, change.temporary)) {
        RemoveIfThere(files, change.path);
    }
    RemoveIfThere(files, change.temporary);
}

// The same for a folder; the new one leaves its place under its own name again before the
// earlier one comes back, so that each state on the way tells the next step.
void UndoTree(platform::FileSystem& files, const Change& change) {
    const bool newWaiting = IsThere(files, change.temporary);
    if (!change.aside.empty()) {
        if (!IsThere(files, change.aside)) {
            if (newWaiting) {
                files.RemoveTree(change.temporary);
            }
            return;
        }
        if (!newWaiting && IsThere(files, change.path)) {
            files.MoveToNewName(change.path, change.temporary);
        }
        files.MoveToNewName(change.aside, change.path);
    } else if (!newWaiting && IsThere(files, change.path)) {
        files.MoveToNewName(change.path, change.temporary);
    }
    if (IsThere(files, change.temporary)) {
        files.RemoveTree(change.temporary);
    }
}

// Anything else there is not the install's to remove.
void UndoFolder(platform::FileSystem& files, const Change& change) {
    if (IsThere(files, change.path) && files.EntriesOf(change.path).empty()) {
        files.RemoveEmptyFolder(change.path);
    }
}

// Moved, or where the two lie on different volumes copied: with the file at its place again, the
// kept one goes only when it holds the same bytes.
void UndoKept(platform::FileSystem& files, const Change& change) {
    if (!IsThere(files, change.aside)) {
        return;
    }
    if (!IsThere(files, change.path)) {
        platform::MoveOrCopy(files, change.aside, change.path);
    } else if (files.ContentsOf(change.aside) == files.ContentsOf(change.path)) {
        files.RemoveOneFile(change.aside);
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
        case Change::Kind::Kept:
            UndoKept(files, change);
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

std::string KeptAside(platform::Services& services, const Change& change) {
    const bool keeps =
        change.kind != Change::Kind::Folder && change.kind != Change::Kind::UninstallEntry;
    return keeps && IsThere(services.Files(), change.aside) ? change.aside : std::string();
}

}  // namespace setup
