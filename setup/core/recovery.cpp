#include "setup/core/recovery.h"

#include <optional>

#include "platform/runtime_error.h"
#include "record/owned_places.h"
#include "setup/core/earlier_journal.h"
#include "setup/core/install_journal.h"
#include "setup/core/install_steps.h"
#include "setup/core/transaction.h"

namespace setup {

namespace {

// Far more than any install's changes.
constexpr std::size_t kLongestJournal = std::size_t{1} << 20;

// Refused with a box that names it, and nothing done by it.
[[noreturn]] void NotAsWritten(const std::string& path, const platform::RuntimeError& error) {
    const std::string where = error.Place() == path ? path : path + ", " + error.Place();
    throw StepFailure{platform::RuntimeError(error.Number(), where),
                      "The install journal " + where +
                          " is not as Setup wrote it, so Setup cannot tell what the interrupted "
                          "install changed, and changed nothing. What it set aside is in the "
                          "files named " +
                          platform::kPartialFilePrefix + "... beside its places."};
}

// Whoever else can change the journal, or a folder above it, could make it name any file to
// rename or remove: it is checked before a line of it is read.
void RequireTrustedJournal(platform::FileSystem& files, const std::string& path) {
    try {
        files.RequireNobodyElseCanChange(path);
    } catch (const platform::RuntimeError& error) {
        if (error.Why() != platform::Reason::OthersCanChange) {
            throw StepFailure{error, "The install journal " + path +
                                         " cannot be checked, and Setup changed nothing."};
        }
        const std::string what = error.Place() == path ? "it" : error.Place();
        const std::string who = error.Who().empty() ? "another user" : error.Who();
        throw StepFailure{error, "The install journal " + path + " was not used: " + what +
                                     " can be changed by " + who +
                                     ", who could have made it name any file. Setup changed "
                                     "nothing. Once nobody but its owner can change " +
                                     error.Place() + ", run Setup again."};
    }
}

std::string JournalText(platform::FileSystem& files, const std::string& path) {
    try {
        std::string text = files.ReadPrefix(path, kLongestJournal + 1, platform::Links::Refuse);
        if (text.size() > kLongestJournal) {
            throw platform::RuntimeError(platform::error::kBadRecordLength, path);
        }
        return text;
    } catch (const platform::RuntimeError& error) {
        NotAsWritten(path, error);
    }
}

Journal ParsedOrRefused(const std::string& text, const std::string& path) {
    try {
        return ParseJournal(text);
    } catch (const platform::RuntimeError& error) {
        NotAsWritten(path, error);
    }
}

std::string UserNameOrNone(platform::Services& services) {
    try {
        return services.LogonUserName(256);
    } catch (const platform::RuntimeError&) {
        return {};  // the shared places and the application folder are still known
    }
}

// Why the undo may not go to place: it lies in no place the install owns, or is reached through
// a link. The undo goes by the path as it is spelled, so its ".." must climb where the spelling
// says too. Nothing when it may.
std::optional<std::string> WhyNot(platform::FileSystem& files, const record::OwnedPlaces& owned,
                                  const std::string& place, bool folder) {
    const auto reach = folder ? owned.ReachOfFolder(place) : owned.ReachOfFile(place);
    if (!reach) {
        return ", which lies outside the folders this installation owns";
    }
    if (const auto climbed = record::LinkClimbedOutOf(files, place)) {
        return ", which climbs out of " + *climbed + ", a link, to elsewhere than its name says";
    }
    if (const auto link = owned.LinkOnTheWay(files, *reach)) {
        return ", which Setup would reach through " + *link + ", a link now where it made a folder";
    }
    return std::nullopt;
}

// Otherwise nothing is done by the journal, and the box names its line and why.
void RequireOwned(platform::FileSystem& files, const record::OwnedPlaces& owned,
                  const std::string& journalText, const std::string& journalPath,
                  const std::string& place, bool folder) {
    const auto why = WhyNot(files, owned, place, folder);
    if (!why) {
        return;
    }
    const std::size_t line = record::LineNaming(journalText, place);
    const std::string where =
        line == 0 ? journalPath : journalPath + ", line " + std::to_string(line);
    throw StepFailure{
        platform::RuntimeError(platform::error::kPathFileAccessError, where),
        "The install journal " + where + " names " + place + *why +
            ". Setup changed nothing by it: check who changed that file, then remove it."};
}

// The files an earlier build's journal names, in the places of its install into destination.
void RequireFilesConfined(platform::Services& services, const platform::Layout& layout,
                          const std::string& destination, const std::vector<std::string>& places,
                          const std::string& text) {
    const record::OwnedPlaces owned(layout, UserNameOrNone(services), {destination}, {});
    for (const std::string& place : places) {
        RequireOwned(services.Files(), owned, text, layout.JournalFile(), place, false);
    }
}

// Every place the journal names, the earlier files aside and the new ones waiting under their
// temporary names too: each undo moves them.
void RequireConfined(platform::Services& services, const platform::Layout& layout,
                     const Journal& journal, const std::string& text) {
    std::vector<std::string> made;
    for (const Change& change : journal.changes) {
        if (change.kind == Change::Kind::Folder) {
            made.push_back(change.path);
        }
    }
    const record::OwnedPlaces owned(layout, UserNameOrNone(services), {journal.destination}, made);
    for (const Change& change : journal.changes) {
        if (change.kind == Change::Kind::UninstallEntry) {
            continue;
        }
        for (const std::string* place : {&change.path, &change.temporary, &change.aside}) {
            if (!place->empty()) {
                RequireOwned(services.Files(), owned, text, layout.JournalFile(), *place,
                             change.kind == Change::Kind::Folder);
            }
        }
    }
}

// With the journal settled, no temporary left in these folders is anyone's.
void ClearWhatWasLeft(platform::FileSystem& files, const platform::Layout& layout,
                      const Journal& journal) {
    files.RemovePartialFiles(layout.applicationFolder);
    if (!journal.destination.empty() &&
        files.FactsOf(journal.destination).kind == platform::EntryKind::Folder) {
        files.RemovePartialFiles(journal.destination);
    }
}

}  // namespace

std::string LogLineFor(Recovery recovery) {
    switch (recovery) {
        case Recovery::PutBack:
            return "Restored the Installation That Was Interrupted";
        case Recovery::Finished:
            return "Completed the Installation That Was Interrupted";
        case Recovery::NothingToDo:
            break;
    }
    return {};
}

namespace {

constexpr const char* kStep = "Could not put back the installation that was interrupted.";

// Goes the way the journal points; the direction it ends in.
Phase Settle(platform::Services& services, const platform::Layout& layout, Journal journal) {
    if (journal.phase == Phase::Forgetting) {
        ForgetAll(services, journal.changes);
        return Phase::Forgetting;
    }
    journal.phase = Phase::Undoing;
    try {
        InstallJournal(services.Files(), layout.JournalFile(), layout.applicationFolder)
            .Rewrite(journal);
    } catch (const platform::RuntimeError&) {
        // Said or not, the journal's direction is the same: back.
    }
    const std::vector<UndoFailure> failures = UndoAll(services, journal.changes);
    if (!failures.empty()) {
        throw StepFailure{
            failures.front().error,
            std::string(kStep) + "\r\n" + UndoFailureText(failures, layout.JournalFile())};
    }
    return Phase::Undoing;
}

}  // namespace

Recovery RecoverInterruptedInstall(platform::Services& services, const platform::Layout& layout) {
    platform::FileSystem& files = services.Files();
    const std::string path = layout.JournalFile();
    if (files.FactsOf(path).kind == platform::EntryKind::None) {
        return Recovery::NothingToDo;
    }
    RequireTrustedJournal(files, path);
    const std::string text = JournalText(files, path);
    try {
        std::optional<Recovery> recovery = RecoverEarlierJournal(
            services, layout, text,
            [&](const std::string& destination, const std::vector<std::string>& places) {
                RequireFilesConfined(services, layout, destination, places, text);
            });
        Journal journal;
        if (!recovery) {
            journal = ParsedOrRefused(text, path);
            RequireConfined(services, layout, journal, text);
            recovery = Settle(services, layout, journal) == Phase::Forgetting ? Recovery::Finished
                                                                              : Recovery::PutBack;
        }
        files.RemoveOneFile(path);
        files.SyncFolder(layout.applicationFolder);
        ClearWhatWasLeft(files, layout, journal);
        return *recovery;
    } catch (const platform::RuntimeError& error) {
        throw StepFailure{error, kStep};
    }
}

}  // namespace setup
