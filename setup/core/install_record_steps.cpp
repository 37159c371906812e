#include "setup/core/install_record_steps.h"

#include <algorithm>
#include <memory>
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

struct Finishing {
    platform::Services& services;
    const platform::Layout& layout;
    InstallRequest request;
    PlacementRecorder& files;
    std::string uninstaller;  // where it goes in the application folder
    record::InstallRecord record;

    std::string Join(const std::string& folder, const std::string& name) const {
        return folder + layout.separator + name;
    }

    bool UninstallerInPlace() {
        return files.FactsOf(uninstaller).kind == platform::EntryKind::File;
    }

    // The folder of the launcher's menu entry this install wrote, if it wrote one.
    std::optional<std::string> MenuFolder() const {
        const std::string name = layout.separator + kDesktopEntryName;
        for (const auto& path : files.Placed()) {
            if (path.ends_with(name)) {
                return path.substr(0, path.size() - name.size());
            }
        }
        return std::nullopt;
    }

    // What this install placed and made, by the record's rules: the hand-over file and the
    // record have rules of their own.
    record::InstallRecord ThisInstall() {
        record::InstallRecord now{layout.scope, {request.destination}, files.Made(), {}};
        std::vector<std::string> placed;
        for (const auto& path : files.Placed()) {
            if (path != layout.HandoverFile() && path != layout.RecordFile() &&
                std::find(placed.begin(), placed.end(), path) == placed.end()) {
                placed.push_back(path);
            }
        }
        for (const auto& path : placed) {
            now.files.push_back(record::Identify(files, path));
        }
        return now;
    }

    void WriteRecord() {
        const std::string path = layout.RecordFile();
        try {
            record = record::Read(files, path).value_or(record::InstallRecord{});
        } catch (const platform::RuntimeError&) {
            // A record that cannot be read back cannot be kept: this install's starts afresh.
            record = {};
        }
        record::Merge(record, ThisInstall());
        record::Write(files, path, record);
    }

    platform::UninstallEntry Entry() const {
        std::int64_t bytes = 0;
        for (const auto& file : record.files) {
            bytes += file.size;
        }
        return {request.destination, "\"" + uninstaller + "\"",
                Join(request.destination, kLauncherFile),
                static_cast<std::uint32_t>((bytes + 1023) / 1024)};
    }
};

std::string CopyStepText(const std::string& source, const std::string& destination) {
    return "Could not copy " + source + " to " + destination + ".";
}

}  // namespace

std::vector<FinishingStep> FinishingSteps(platform::Services& services,
                                          const platform::Layout& layout,
                                          const InstallRequest& request,
                                          PlacementRecorder& placements) {
    auto finishing = std::make_shared<Finishing>(
        Finishing{services,
                  layout,
                  request,
                  placements,
                  layout.applicationFolder + layout.separator + record::kUninstallerFile,
                  {}});
    const std::string source = finishing->Join(request.workingFolder, record::kUninstallerFile);
    std::vector<FinishingStep> steps;
    steps.push_back({CopyStepText(source, finishing->uninstaller), [finishing, source] {
                         // The install goes on without it when the medium has none.
                         if (FileExists(finishing->files, source) != FileExistsResult::NotThere) {
                             finishing->files.CopyFile(source, finishing->uninstaller);
                         }
                     }});
    if (const auto menu = finishing->MenuFolder(); menu && layout.startMenuNeedsDesktopEntry) {
        const std::string entry = finishing->Join(*menu, record::kUninstallEntryName);
        steps.push_back({"Could not write the file " + entry + ".", [finishing, entry] {
                             if (finishing->UninstallerInPlace()) {
                                 finishing->files.ReplaceFile(
                                     entry, DesktopEntryFor(finishing->uninstaller,
                                                            "Uninstall Velmora_KZ 2.0.1",
                                                            "Remove Velmora_KZ 2.0.1"));
                             }
                         }});
    }
    steps.push_back({"Could not write the file " + layout.RecordFile() + ".",
                     [finishing] { finishing->WriteRecord(); }});
    if (layout.registersUninstaller) {
        steps.push_back(
            {"Could not enter the uninstaller in " + platform::UninstallKeyName(layout.scope) + ".",
             [finishing] {
                 if (finishing->UninstallerInPlace()) {
                     finishing->services.WriteUninstallEntry(finishing->layout.scope,
                                                             finishing->Entry());
                 }
             }});
    }
    return steps;
}

}  // namespace setup
