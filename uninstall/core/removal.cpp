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
                 const ProtectedPlaces& protectedPlaces, const record::OwnedPlaces& owned,
                 record::InstallRecord record, std::unique_ptr<platform::FolderLock> lock)
    : services_(services),
      files_(services.Files()),
      layout_(layout),
      protected_(protectedPlaces),
      owned_(owned),
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
    const auto reach = owned_.ReachOfFile(file.path);
    if (!reach) {
        Refuse(file.path, Why::Outside);
        return;
    }
    try {
        record::PlacedFile placed = file;
        placed.path = reach->path;
        switch (record::StateOf(files_, placed)) {
            case record::FileState::Gone:
                return;
            case record::FileState::Changed:
                outcome_.kept.push_back({file.path, Why::Changed, {}});
                return;
            case record::FileState::AsPlaced:
                if (Removed(file.path, files_.RemoveFileBelow(reach->place, reach->path))) {
                    ++outcome_.filesRemoved;
                    removedFiles_.push_back(file.path);
                }
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
    const auto reach = owned_.ReachOfFile(path);
    try {
        if (!reach || files_.FactsOf(path).kind != platform::EntryKind::File) {
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
        if (Removed(path, files_.RemoveFileBelow(reach->place, reach->path))) {
            ++outcome_.filesRemoved;
        }
    } catch (const platform::RuntimeError& error) {
        Fail(path, error);
    }
}

void Removal::RemoveFolder(const std::string& folder) {
    const auto reach = owned_.ReachOfFolder(folder);
    if (!reach) {
        Refuse(folder, Why::Outside);
        return;
    }
    if (protected_.Covers(reach->path)) {
        return;
    }
    try {
        if (const auto kind = files_.FactsOf(reach->path).kind;
            kind == platform::EntryKind::None || kind == platform::EntryKind::File) {
            return;  // gone, or not the folder the install made
        }
        const platform::RemovalResult result =
            files_.RemoveEmptyFolderBelow(reach->place, reach->path);
        if (result.reached == platform::Reached::NotEmpty) {
            if (HoldsWhatIsLeft(reach->path)) {
                outcome_.left.createdFolders.push_back(folder);
            }
            outcome_.kept.push_back({folder, Why::NotEmpty, Sample(files_.EntriesOf(reach->path))});
            return;
        }
        if (Removed(folder, result)) {
            ++outcome_.foldersRemoved;
        }
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
        const auto reach = owned_.ReachOfFile(path);
        if (!reach || files_.RemoveFileBelow(reach->place, reach->path).reached ==
                          platform::Reached::ThroughLink) {
            throw platform::RuntimeError(platform::error::kPathFileAccessError, path);
        }
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

void Removal::Refuse(const std::string& place, Why why, const std::string& link) {
    const std::string path = layout_.RecordFile();
    if (!recordText_) {
        try {
            recordText_ = files_.ReadPrefix(path, record::kMaxRecordBytes, platform::Links::Refuse);
        } catch (const platform::RuntimeError&) {
            recordText_ = std::string();
        }
    }
    const std::size_t line = record::LineNaming(*recordText_, place);
    outcome_.kept.push_back(
        {place, why, link, line == 0 ? path : path + ", line " + std::to_string(line)});
}

bool Removal::Removed(const std::string& place, const platform::RemovalResult& result) {
    if (result.reached == platform::Reached::ThroughLink) {
        Refuse(place, Why::ThroughLink, result.link);
    }
    return result.reached == platform::Reached::Removed;
}

bool Removal::HoldsWhatIsLeft(const std::string& folder) const {
    const auto& left = outcome_.left;
    return std::any_of(left.files.begin(), left.files.end(),
                       [&folder](const auto& file) { return Inside(file.path, folder); }) ||
           std::any_of(left.createdFolders.begin(), left.createdFolders.end(),
                       [&folder](const auto& inner) { return Inside(inner, folder); });
}

}  // namespace uninstall
