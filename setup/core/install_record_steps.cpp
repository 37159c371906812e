#include "setup/core/install_record_steps.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>

#include "platform/runtime_error.h"
#include "platform/uninstall_entry.h"
#include "record/file_identity.h"
#include "record/install_record.h"
#include "setup/core/desktop_entry.h"
#include "setup/core/installation_files.h"
#include "setup/core/queries.h"

namespace setup {

namespace {

std::string UninstallerPath(const InstallContext& context) {
    return context.Join(context.layout.applicationFolder, record::kUninstallerFile);
}

bool UninstallerInPlace(InstallContext& context) {
    return context.Files().FactsOf(UninstallerPath(context)).kind == platform::EntryKind::File;
}

// The install goes on without it when the medium has none.
void PlaceUninstaller(InstallContext& context) {
    const std::string source =
        context.Join(context.request.workingFolder, record::kUninstallerFile);
    const std::string target = UninstallerPath(context);
    context.Step("Could not copy " + source + " to " + target + ".", [&] {
        if (FileExists(context.Files(), source) != FileExistsResult::NotThere) {
            context.transaction.Place(
                CopyOf(source, target, context.payload.For(record::kUninstallerFile)));
        }
    });
}

void PlaceUninstallMenuEntry(InstallContext& context) {
    const std::string entry = context.Join(context.targets.startMenu, record::kUninstallEntryName);
    context.Step("Could not write the file " + entry + ".", [&] {
        if (UninstallerInPlace(context)) {
            const std::string text = DesktopEntryFor(
                UninstallerPath(context), "Uninstall Velmora_KZ 2.0.1", "Remove Velmora_KZ 2.0.1");
            context.transaction.Place(TextAt(entry, text));
        }
    });
}

// What this install placed and made, by the record's rules: the hand-over file and the record
// have rules of their own.
record::InstallRecord ThisInstall(InstallContext& context) {
    const platform::Layout& layout = context.layout;
    record::InstallRecord now{layout.scope, {context.request.destination}, {}, {}};
    if (context.madeApplicationFolder) {
        now.createdFolders.push_back(layout.applicationFolder);
    }
    // Each file's contents as its writing hashed them: nothing is read again for the record.
    std::map<std::string, std::optional<platform::FileContents>> placed;
    std::vector<std::string> order;
    const auto addPlaced = [&](const std::string& path,
                               std::optional<platform::FileContents> contents) {
        if (path == layout.HandoverFile() || path == layout.RecordFile()) {
            return;
        }
        if (!placed.contains(path)) {
            order.push_back(path);
        }
        placed[path] = contents;
    };
    const auto& written = context.transaction.Written();
    for (const Change& change : context.transaction.Changes()) {
        if (change.kind == Change::Kind::Folder) {
            now.createdFolders.push_back(change.path);
        } else if (change.kind == Change::Kind::File) {
            const auto contents = written.find(change.path);
            addPlaced(change.path,
                      contents != written.end() ? std::optional(contents->second) : std::nullopt);
        } else if (change.kind == Change::Kind::Tree) {
            now.createdFolders.push_back(change.path);
            for (const auto& entry : context.toolkit) {
                const std::string path = context.Join(change.path, entry.relativePath);
                if (entry.folder) {
                    now.createdFolders.push_back(path);
                } else {
                    addPlaced(path, entry.contents);
                }
            }
        }
    }
    for (const auto& path : order) {
        now.files.push_back(record::Identify(context.Files(), path, placed[path]));
    }
    now.kept = context.kept;
    return now;
}

// A record that cannot be read back cannot be kept: this install's starts afresh.
void WriteRecord(InstallContext& context) {
    const std::string path = context.layout.RecordFile();
    context.Step("Could not write the file " + path + ".", [&] {
        record::InstallRecord merged;
        try {
            merged = record::Read(context.Files(), path).value_or(record::InstallRecord{});
        } catch (const platform::RuntimeError&) {
            merged = {};
        }
        record::Merge(merged, ThisInstall(context));
        context.transaction.Place(TextAt(path, record::Format(merged)));
    });
}

// What the record lists now, the earlier installs' files included.
std::uint32_t RecordedKilobytes(InstallContext& context) {
    std::int64_t bytes = 0;
    if (const auto recorded = record::Read(context.Files(), context.layout.RecordFile())) {
        for (const auto& file : recorded->files) {
            bytes += file.size;
        }
    }
    return static_cast<std::uint32_t>((bytes + 1023) / 1024);
}

void EnterUninstaller(InstallContext& context) {
    const platform::Scope scope = context.layout.scope;
    context.Step(
        "Could not enter the uninstaller in " + platform::UninstallKeyName(scope) + ".", [&] {
            if (!UninstallerInPlace(context)) {
                return;
            }
            const std::string& destination = context.request.destination;
            context.transaction.SetUninstallEntry(scope, {destination,
                                                          "\"" + UninstallerPath(context) + "\"",
                                                          context.Join(destination, kLauncherFile),
                                                          RecordedKilobytes(context),
                                                          {}});
        });
}

}  // namespace

std::vector<InstallStep> FinishingSteps(const InstallRequest& request,
                                        const platform::Layout& layout) {
    std::vector<InstallStep> steps{PlaceUninstaller};
    if (request.startMenu && layout.startMenuNeedsDesktopEntry) {
        steps.emplace_back(PlaceUninstallMenuEntry);
    }
    steps.emplace_back(WriteRecord);
    if (layout.registersUninstaller) {
        steps.emplace_back(EnterUninstaller);
    }
    return steps;
}

}  // namespace setup
