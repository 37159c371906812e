#include "uninstall/core/removal.h"

#include <algorithm>
#include <utility>

#include "handover/handover.h"
#include "platform/platform.h"
#include "platform/uninstall_entry.h"
#include "record/file_identity.h"

namespace uninstall {

namespace {

constexpr std::size_t kEntriesNamed = 5;

std::size_t Depth(const std::string& path) {
    return static_cast<std::size_t>(
        std::count_if(path.begin(), path.end(), platform::IsPathSeparator));
}

bool Inside(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.starts_with(folder) &&
           platform::IsPathSeparator(path[folder.size()]);
}

// A few of a folder's names, to show the user what keeps it.
std::string Sample(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    std::string sample;
    for (std::size_t i = 0; i < names.size() && i < kEntriesNamed; ++i) {
        sample += (i == 0 ? "" : ", ") + names[i];
    }
    if (names.size() > kEntriesNamed) {
        sample += " and " + std::to_string(names.size() - kEntriesNamed) + " more";
    }
    return sample;
}

}  // namespace

bool Outcome::Failed() const {
    return std::any_of(kept.begin(), kept.end(),
                       [](const KeptItem& item) { return item.why == Why::Failed; });
}

Removal::Removal(platform::Services& services, const platform::Layout& layout,
                 const ProtectedPlaces& protectedPlaces, record::InstallRecord record,
                 std::unique_ptr<platform::FolderLock> lock)
    : services_(services),
      files_(services.Files()),
      layout_(layout),
      protected_(protectedPlaces),
      record_(std::move(record)),
      lock_(std::move(lock)) {
    outcome_.left.scope = record_.scope;
    outcome_.left.installFolders = record_.installFolders;
}

Outcome Removal::Run() {
    for (const auto& file : record_.files) {
        if (!IsUninstallerPiece(file)) {
            RemoveFile(file);
        }
    }
    for (const auto& kept : record_.kept) {
        PutBack(kept);
    }
    RemoveHandover();
    if (!outcome_.Failed()) {
        RemoveUninstallEntry();
    }
    const bool keepUninstaller = outcome_.Failed();
    for (const auto& file : record_.files) {
        if (!IsUninstallerPiece(file)) {
            continue;
        }
        if (keepUninstaller) {
            outcome_.left.files.push_back(file);
        } else {
            RemoveFile(file);
        }
    }
    std::vector<std::string> folders;
    for (const auto& folder : record_.createdFolders) {
        if (std::find(folders.begin(), folders.end(), folder) == folders.end() &&
            folder != layout_.applicationFolder) {
            folders.push_back(folder);
        }
    }
    std::stable_sort(folders.begin(), folders.end(), [](const auto& a, const auto& b) {
        return Depth(a) > Depth(b) || (Depth(a) == Depth(b) && a.size() > b.size());
    });
    for (const auto& folder : folders) {
        RemoveFolder(folder);
    }
    RefreshMenuCaches();
    RemoveOrRewriteRecord();
    return outcome_;
}

bool Removal::IsUninstallerPiece(const record::PlacedFile& file) const {
    return file.path == layout_.applicationFolder + layout_.separator + record::kUninstallerFile ||
           file.path.ends_with(layout_.separator + record::kUninstallEntryName);
}

void Removal::RemoveFile(const record::PlacedFile& file) {
    if (!platform::IsFullPath(file.path)) {
        return;  // no install records such a path
    }
    try {
        switch (record::StateOf(files_, file)) {
            case record::FileState::Gone:
                return;
            case record::FileState::Changed:
                outcome_.kept.push_back({file.path, Why::Changed, {}});
                return;
            case record::FileState::AsPlaced:
                files_.RemoveOneFile(file.path);
                ++outcome_.filesRemoved;
                removedFiles_.push_back(file.path);
                return;
        }
    } catch (const platform::RuntimeError& error) {
        Fail(file.path, error);
        outcome_.left.files.push_back(file);
    }
}

// Once the install's own file has gone from its place. One that stands there still (changed, or
// the user's again) is not taken: the report names where the kept one is.
void Removal::PutBack(const record::KeptFile& kept) {
    try {
        if (files_.FactsOf(kept.keptAt).kind == platform::EntryKind::None) {
            return;
        }
        if (files_.FactsOf(kept.path).kind != platform::EntryKind::None) {
            outcome_.kept.push_back({kept.keptAt, Why::StandsThere, kept.path});
            return;
        }
        platform::MoveOrCopy(files_, kept.keptAt, kept.path);
        ++outcome_.filesPutBack;
    } catch (const platform::RuntimeError& error) {
        Fail(kept.keptAt, error);
        outcome_.left.kept.push_back(kept);
    }
}

// Another install's hand-over file is not this record's to take.
void Removal::RemoveHandover() {
    const std::string path = layout_.HandoverFile();
    try {
        if (files_.FactsOf(path).kind != platform::EntryKind::File) {
            return;
        }
        const std::string named = handover::FirstLineOf(
            files_.ReadPrefix(path, platform::MaxPathLength() + 2, platform::Links::Refuse),
            platform::MaxPathLength());
        const auto& installed = record_.installFolders;
        if (std::find(installed.begin(), installed.end(), named) == installed.end()) {
            return;
        }
    } catch (const platform::RuntimeError&) {
        return;  // unreadable or not one line of a path: not written by Setup as it is
    }
    try {
        files_.RemoveOneFile(path);
        ++outcome_.filesRemoved;
    } catch (const platform::RuntimeError& error) {
        Fail(path, error);
    }
}

void Removal::RemoveFolder(const std::string& folder) {
    if (protected_.Covers(folder)) {
        return;
    }
    try {
        if (files_.FactsOf(folder).kind != platform::EntryKind::Folder) {
            return;
        }
        const std::vector<std::string> entries = files_.EntriesOf(folder);
        if (!entries.empty()) {
            if (HoldsWhatIsLeft(folder)) {
                outcome_.left.createdFolders.push_back(folder);
            }
            outcome_.kept.push_back({folder, Why::NotEmpty, Sample(entries)});
            return;
        }
        files_.RemoveEmptyFolder(folder);
        ++outcome_.foldersRemoved;
    } catch (const platform::RuntimeError& error) {
        Fail(folder, error);
        outcome_.left.createdFolders.push_back(folder);
    }
}

void Removal::RemoveUninstallEntry() {
    if (!layout_.registersUninstaller) {
        return;
    }
    try {
        services_.RemoveUninstallEntry(record_.scope);
    } catch (const platform::RuntimeError& error) {
        Fail(platform::UninstallKeyName(record_.scope), error);
    }
}

// A menu's cache that is there would go on listing what is gone; one that is not stays so.
void Removal::RefreshMenuCaches() {
    if (!layout_.startMenuNeedsDesktopEntry) {
        return;
    }
    const auto refresh = [this](const std::string& folder, const char* cache, const char* tool,
                                std::vector<std::string> arguments) {
        const bool touched =
            std::any_of(removedFiles_.begin(), removedFiles_.end(),
                        [&folder](const std::string& file) { return Inside(file, folder); });
        if (folder.empty() || !touched ||
            files_.FactsOf(folder + layout_.separator + cache).kind != platform::EntryKind::File) {
            return;
        }
        arguments.push_back(folder);
        try {
            services_.RunProgramAndWait(tool, arguments);
        } catch (const platform::RuntimeError&) {
            // Without the tool there is nothing to refresh the cache with; menus rebuild it.
        }
    };
    for (const platform::UserPlaces& places : {layout_.userPlaces, layout_.sharedPlaces}) {
        refresh(places.startMenu, "mimeinfo.cache", "update-desktop-database", {});
        refresh(places.iconTheme, "icon-theme.cache", "gtk-update-icon-cache",
                {"--force", "--quiet"});
    }
}

// The record goes last, with the application folder that holds it, or lists what is left.
void Removal::RemoveOrRewriteRecord() {
    const std::string path = layout_.RecordFile();
    const auto& created = record_.createdFolders;
    const bool madeApplicationFolder =
        std::find(created.begin(), created.end(), layout_.applicationFolder) != created.end();
    try {
        if (outcome_.Failed()) {
            if (madeApplicationFolder) {
                outcome_.left.createdFolders.push_back(layout_.applicationFolder);
            }
            record::Write(files_, path, outcome_.left);
            return;
        }
        files_.RemoveOneFile(path);
    } catch (const platform::RuntimeError& error) {
        Fail(path, error);
        return;
    }
    outcome_.left = {};
    if (madeApplicationFolder) {
        lock_.reset();
        RemoveFolder(layout_.applicationFolder);
    }
}

void Removal::Fail(const std::string& place, const platform::RuntimeError& error) {
    outcome_.kept.push_back({place, Why::Failed, error.Description()});
}

bool Removal::HoldsWhatIsLeft(const std::string& folder) const {
    const auto& left = outcome_.left;
    return std::any_of(left.files.begin(), left.files.end(),
                       [&folder](const auto& file) { return Inside(file.path, folder); }) ||
           std::any_of(left.createdFolders.begin(), left.createdFolders.end(),
                       [&folder](const auto& inner) { return Inside(inner, folder); });
}

}  // namespace uninstall
