#include "setup/core/install_steps.h"

#include <algorithm>
#include <string_view>

#include "handover/handover.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "record/install_record.h"
#include "setup/core/desktop_entry.h"
#include "setup/core/install_record_steps.h"
#include "setup/core/installation_files.h"
#include "setup/core/menu_icon.h"
#include "setup/core/queries.h"

namespace setup {

namespace {

std::string CopyStep(const std::string& source, const std::string& destination) {
    return "Could not copy " + source + " to " + destination + ".";
}

std::string FolderStep(const std::string& folder) {
    return "Could not create the folder " + folder + ".";
}

std::string FileStep(const std::string& file) {
    return "Could not write the file " + file + ".";
}

InstallStep Logged(std::string text) {
    return [text = std::move(text)](InstallContext& context) { context.Log(text); };
}

void WriteFile(InstallContext& context, const std::string& path, const std::string& contents) {
    context.Step(FileStep(path), [&] { context.transaction.Place(TextAt(path, contents)); });
}

// Only a plain file of at most one path and its line end is the launcher's record, to be kept
// until the install is whole; anything else there (a link, a FIFO, a huge file) is replaced, and
// a failed install leaves no hand-over file rather than that.
void WriteHandover(InstallContext& context) {
    const std::string path = context.layout.HandoverFile();
    context.Step(FileStep(path), [&] {
        const platform::EntryFacts earlier = context.Files().FactsOf(path);
        const bool launchersRecord =
            earlier.kind == platform::EntryKind::File &&
            static_cast<std::size_t>(earlier.size) <= platform::MaxPathLength() + 2;
        const bool nothingThere = earlier.kind == platform::EntryKind::None;
        context.transaction.Place(
            TextAt(path, handover::FileFor(context.request.destination),
                   launchersRecord || nothingThere ? Earlier::Keep : Earlier::Replace));
    });
    // The log has always named the hand-over file "Startup.txt".
    context.Log("Created " + context.Join(context.layout.applicationFolder, "Startup.txt") +
                " Successfully");
}

void FindUsersPlaces(InstallContext& context) {
    context.source = context.Join(context.request.workingFolder, kLauncherFile);
    const std::string userName = context.Step("Could not get the name of the current user.",
                                              [&] { return GetCurrentUserName(context.services); });
    context.Log("Current User Name " + userName);
    context.targets = context.layout.PlacesOf(userName);
    if (FileExists(context.Files(), context.targets.profile) == FileExistsResult::NotThere) {
        context.targets = context.layout.sharedPlaces;
    }
    context.desktopTarget = context.Join(context.targets.desktop, kLauncherFile);
}

InstallStep PlaceLauncherCopy(std::string platform::UserPlaces::*place) {
    return [place](InstallContext& context) {
        const std::string& folder = context.targets.*place;
        if (context.layout.createsMissingTargetFolders) {
            context.Step(FolderStep(folder),
                         [&] { context.transaction.MakeMissingFolders(folder); });
        }
        const std::string target = context.Join(folder, kLauncherFile);
        context.Step(CopyStep(context.source, target), [&] {
            context.transaction.Place(
                CopyOf(context.source, target, context.payload.For(kLauncherFile)));
        });
    };
}

// The entry names its icon; menus look it up in the theme by that name, at the size they need.
void PlaceMenuIcons(InstallContext& context) {
    for (std::size_t i = 0; i < kMenuIconSizes.size(); ++i) {
        const std::string size = std::to_string(kMenuIconSizes[i]);
        const std::string folder =
            context.Join(context.Join(context.targets.iconTheme, size + "x" + size), "apps");
        context.Step(FolderStep(folder), [&] { context.transaction.MakeMissingFolders(folder); });
        WriteFile(context, context.Join(folder, std::string(kMenuIconName) + ".png"),
                  std::string(kMenuIconImages[i]));
    }
}

void PlaceDesktopEntry(InstallContext& context) {
    const std::string& folder = context.targets.startMenu;
    WriteFile(context, context.Join(folder, kDesktopEntryName),
              DesktopEntryFor(context.Join(folder, kLauncherFile)));
}

// Pointing at the Programs copy, started in the install folder.
void PlaceStartMenuShortcut(InstallContext& context) {
    const std::string& folder = context.targets.programs;
    const std::string link = context.Join(folder, kStartMenuShortcut);
    const std::string program = context.Join(folder, kLauncherFile);
    context.Step(FileStep(link), [&] {
        context.transaction.Place(ShortcutAt(
            link,
            {.target = program, .workingFolder = context.request.destination, .icon = program}));
    });
}

void MakeDestination(InstallContext& context) {
    const std::string& destination = context.request.destination;
    if (FileExists(context.Files(), destination) != FileExistsResult::NotThere) {
        return;
    }
    context.Step(FolderStep(destination), [&] { context.transaction.MakeFolder(destination); });
    context.Log("Created Directory: " + destination + " Successfully");
}

// The earlier record's account of what is ours; a record that cannot be read vouches for nothing.
record::InstallRecord EarlierRecord(InstallContext& context) {
    try {
        return record::Read(context.Files(), context.layout.RecordFile())
            .value_or(record::InstallRecord{});
    } catch (const platform::RuntimeError&) {
        return {};
    }
}

// Compared in one spelling: D may be typed otherwise than the earlier install wrote it. A path
// that climbs with ".." is compared as it stands: through a link it leads elsewhere than its
// spelling says.
bool Lists(const record::InstallRecord& earlier, const std::string& path,
           const std::string& separator) {
    const auto key = [&separator](const std::string& place) {
        const auto steps = platform::FoldersOnTheWay(place);
        const bool climbs = std::any_of(steps.begin(), steps.end(), [](const std::string& step) {
            return platform::NameOf(step) == "..";
        });
        return climbs ? place
                      : platform::PathKey(platform::NormalPath(place, separator).value_or(place));
    };
    const std::string wanted = key(path);
    const auto same = [&](const std::string& place) { return key(place) == wanted; };
    return std::any_of(earlier.files.begin(), earlier.files.end(),
                       [&](const record::PlacedFile& file) { return same(file.path); }) ||
           std::any_of(earlier.kept.begin(), earlier.kept.end(),
                       [&](const record::KeptFile& file) { return same(file.path); });
}

// A name in the folder for kept files that nothing holds yet: name, then "name (2)" and on.
std::string FreeKeptName(InstallContext& context, const std::string& folder,
                         std::string_view name) {
    for (int n = 1;; ++n) {
        std::string candidate =
            context.Join(folder, n == 1 ? std::string(name)
                                        : std::string(name) + " (" + std::to_string(n) + ")");
        if (context.Files().FactsOf(candidate).kind == platform::EntryKind::None) {
            return candidate;
        }
    }
}

// Whether the file at path holds what the install puts there (D is W under another spelling, or
// a copy of the medium): nothing of it is lost.
bool HoldsTheMediumsBytes(InstallContext& context, const std::string& path,
                          const std::string& source) {
    platform::FileSystem& files = context.Files();
    try {
        return files.FactsOf(path).size == files.FactsOf(source).size &&
               files.ContentsOf(path) == files.ContentsOf(source);
    } catch (const platform::RuntimeError&) {
        return false;
    }
}

// A file in D that no earlier record of ours lists is the user's own: it is kept in the
// application folder before the install's file takes its place, and Uninstall puts it back.
void KeepUsersFiles(InstallContext& context) {
    const record::InstallRecord earlier = EarlierRecord(context);
    const std::string folder = context.Join(context.layout.applicationFolder, kKeptFilesFolder);
    for (const auto name : kInstallationFiles) {
        const std::string path = context.Join(context.request.destination, name);
        if (context.Files().FactsOf(path).kind != platform::EntryKind::File ||
            Lists(earlier, path, context.layout.separator) ||
            HoldsTheMediumsBytes(context, path, std::string(name))) {
            continue;
        }
        context.Step(FolderStep(folder), [&] { context.transaction.MakeMissingFolders(folder); });
        const std::string keptAt = FreeKeptName(context, folder, name);
        context.Step("Could not keep " + path + " as " + keptAt + ".",
                     [&] { context.transaction.Keep(path, keptAt); });
        context.kept.push_back({path, keptAt});
    }
}

// All complete beside their places before the first is moved in, so that a missing file or a
// full disk changes nothing; each is checked against the medium's list as it is copied. Sources
// are bare names: the current folder is still W.
void CopyApplicationFiles(InstallContext& context) {
    KeepUsersFiles(context);
    std::vector<Placement> placements;
    placements.reserve(kInstallationFiles.size());
    for (const auto name : kInstallationFiles) {
        placements.push_back(CopyOf(std::string(name),
                                    context.Join(context.request.destination, name),
                                    context.payload.For(std::string(name))));
    }
    std::size_t current = 0;
    try {
        context.transaction.Place(placements, [&current](std::size_t index) { current = index; });
    } catch (const platform::RuntimeError& error) {
        throw StepFailure{
            error, CopyStep(std::string(kInstallationFiles[current]), placements[current].path)};
    }
    context.Log(context.payload.Listed()
                    ? std::string("Checked Installation Files Against ") + kPayloadListFile +
                          " Successfully"
                    : std::string("Installation Files Not Checked: the medium has no ") +
                          kPayloadListFile);
    context.Log("Copied Installation Files Successfully");
}

// Where the medium carries the window toolkit (on desktops without Qt), every launcher copy finds
// it in the application folder it follows. It goes in whole, in one move.
void PlaceWindowToolkit(InstallContext& context) {
    const std::string& medium = context.request.workingFolder;
    if (!platform::CarriesBundledRuntime(medium)) {
        return;
    }
    const std::string folder =
        context.Join(context.layout.applicationFolder, platform::kBundledRuntimeFolder);
    context.Step("Could not copy the window toolkit to " + folder + ".", [&] {
        context.transaction.PlaceTree(folder, [&](const std::string& staging) {
            context.toolkit = platform::CopyBundledRuntime(
                context.Files(), medium, staging, [&](const platform::BundledEntry& entry) {
                    context.payload.Check(
                        std::string(platform::kBundledRuntimeFolder) + "/" + entry.relativePath,
                        entry.contents);
                });
        });
    });
}

// Before anything is written: a list that is not one fails here.
void ReadPayloadList(InstallContext& context) {
    context.payload.Load(context.Files(), context.layout, context.request.workingFolder);
}

// The last step, before the install is made whole: what no copy checked is read now.
void CheckPayload(InstallContext& context) {
    context.payload.CheckTheRest(context.Files());
}

}  // namespace

std::vector<InstallStep> InstallSteps(const InstallRequest& request,
                                      const platform::Layout& layout) {
    std::vector<InstallStep> steps{ReadPayloadList, WriteHandover, FindUsersPlaces};
    if (request.desktopIcon) {
        steps.push_back(Logged("Creating Desktop Icon"));
        steps.push_back(PlaceLauncherCopy(&platform::UserPlaces::desktop));
    }
    if (request.startMenu) {
        steps.push_back(Logged("Creating Start Menu Shortcut"));
        steps.push_back(PlaceLauncherCopy(&platform::UserPlaces::startMenu));
        if (layout.startMenuNeedsDesktopEntry) {
            steps.emplace_back(PlaceMenuIcons);
            steps.emplace_back(PlaceDesktopEntry);
        }
    }
    if (request.programsMenu) {
        steps.push_back(Logged("Creating Program Menu Shortcut Icon"));
        steps.push_back(PlaceLauncherCopy(&platform::UserPlaces::programs));
        if (layout.programsMenuNeedsShortcut) {
            steps.emplace_back(PlaceStartMenuShortcut);
        }
    }
    steps.emplace_back(MakeDestination);
    if (request.destination != request.workingFolder) {
        steps.emplace_back(CopyApplicationFiles);
    }
    steps.emplace_back(PlaceWindowToolkit);
    for (InstallStep& step : FinishingSteps(request, layout)) {
        steps.push_back(std::move(step));
    }
    steps.emplace_back(CheckPayload);
    return steps;
}

}  // namespace setup
