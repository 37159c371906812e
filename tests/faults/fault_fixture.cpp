#include "tests/faults/fault_fixture.h"

#include <gmock/gmock.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/runtime_error.h"
#include "setup/core/desktop_entry.h"
#include "setup/core/installation_files.h"

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using namespace testing_support;

namespace faults {

namespace {

std::vector<std::string> Shown(const std::vector<platform::fakes::ShownMessage>& messages) {
    std::vector<std::string> shown;
    for (const auto& message : messages) {
        shown.push_back(message.title + "|" + message.text);
    }
    return shown;
}

const DiskEntry* Find(const DiskState& state, const std::string& path) {
    const auto entry = state.find(path);
    return entry == state.end() ? nullptr : &entry->second;
}

std::string NameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// What the installer may put in place of a file that was there: only a whole new version.
bool IsWholeReplacement(const Outcome& outcome, const std::string& path, const std::string& bytes) {
    const std::string name = NameOf(path);
    const std::string folder = path.substr(0, path.rfind('/'));
    if (path == outcome.workingFolder + "/Install.log") {
        return bytes.starts_with(Find(outcome.before, path)->bytes);
    }
    if (name == "Start_up.txt") {
        return bytes == outcome.destination + "\r\n";
    }
    if (name == setup::kDesktopEntryName) {
        return bytes == setup::DesktopEntryFor(folder + "/" + setup::kLauncherFile);
    }
    const DiskEntry* source = Find(outcome.before, outcome.workingFolder + "/" + name);
    return source != nullptr && bytes == source->bytes;
}

std::string Abridged(const std::string& bytes) {
    return bytes.size() <= 120
               ? bytes
               : bytes.substr(0, 120) + "... (" + std::to_string(bytes.size()) + " bytes)";
}

}  // namespace

DiskState ReadDiskState(const std::string& root) {
    DiskState state;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        struct stat info {};
        const std::string path = item.path().string();
        if (::lstat(path.c_str(), &info) != 0) {
            continue;
        }
        DiskEntry entry;
        entry.mode = info.st_mode & 07777;
        if (S_ISLNK(info.st_mode)) {
            entry.kind = DiskEntry::Kind::Link;
            entry.bytes = fs::read_symlink(item.path()).string();
        } else if (S_ISDIR(info.st_mode)) {
            entry.kind = DiskEntry::Kind::Folder;
        } else {
            entry.bytes = testing_support::ReadFile(path);
        }
        state.emplace(path, std::move(entry));
    }
    return state;
}

std::string GiveToUser(const std::string& path, unsigned uid) {
    if (::geteuid() != 0) {
        return "needs root to give files to another user";
    }
    if (::lchown(path.c_str(), uid, uid) != 0) {
        return "lchown " + path + ": " + std::strerror(errno);
    }
    if (fs::is_directory(fs::symlink_status(path))) {
        for (const auto& item : fs::recursive_directory_iterator(path)) {
            if (::lchown(item.path().c_str(), uid, uid) != 0) {
                return "lchown " + item.path().string() + ": " + std::strerror(errno);
            }
        }
    }
    return {};
}

FaultTest::FaultTest() {
    MakeFolders(Profile());
}

Outcome FaultTest::Run(const std::function<void()>& action) {
    Outcome outcome;
    outcome.before = ReadDiskState(root.Path());
    outcome.ended = EndStatusOf([&] { platform::RunHandler(services, action); });
    outcome.after = ReadDiskState(root.Path());
    outcome.messages = services.Messages();
    outcome.workingFolder = form->WorkingFolder();
    outcome.destination = controls.Text1Text();
    return outcome;
}

Outcome FaultTest::Install(const std::function<void()>& arrange) {
    Start();
    if (arrange) {
        arrange();
    }
    return Run([&] { form->Command1_Click(); });
}

Outcome FaultTest::StartUp(const std::function<void()>& arrange) {
    arrange();
    return Run([&] { form->Form_Load(); });
}

void FaultTest::LayOutEarlierInstall(const std::string& folder) const {
    // The folders as the installer makes them; the files as loose as a user may have left them.
    for (const auto& made : {folder, layout.applicationFolder}) {
        MakeFolders(made);
        fs::permissions(made, static_cast<fs::perms>(0755));
    }
    for (const auto name : setup::kInstallationFiles) {
        WriteFile(folder + "/" + std::string(name), "earlier " + std::string(name), 0666);
    }
    WriteFile(folder + "/notes.txt", "the user's own notes");
    WriteFile(layout.HandoverFile(), folder + "\r\n");
}

std::vector<std::string> FaultTest::LogOf(const Outcome& outcome) {
    const DiskEntry* log = Find(outcome.after, outcome.workingFolder + "/Install.log");
    return log == nullptr ? std::vector<std::string>{} : LogTextsOf(log->bytes);
}

void FaultTest::ExpectFailureReported(const Outcome& outcome, const std::string& description,
                                      const std::string& step, const std::string& source,
                                      const std::string& desktopTarget) {
    EXPECT_EQ(outcome.ended, platform::ExitStatus::Failure) << "the installer must end";
    const auto log = LogOf(outcome);
    ASSERT_GE(log.size(), 4u);
    EXPECT_THAT(
        std::vector<std::string>(log.end() - 4, log.end()),
        ElementsAre("Error During Setup: " + description,
                    "Working Directory: " + outcome.workingFolder, "Source Directory: " + source,
                    "Destination Directory: " + desktopTarget));
    EXPECT_THAT(
        Shown(outcome.messages),
        ElementsAre("Velmora_KZ 2.0.1 Setup|Error During Setup: " + description + "\r\n" + step +
                    "\r\nSee " + outcome.workingFolder + "/Install.log for details."));
}

void FaultTest::ExpectRuntimeErrorBox(const Outcome& outcome, int number,
                                      const std::string& place) {
    EXPECT_EQ(outcome.ended, platform::ExitStatus::Failure)
        << "the runtime ends the program after its box";
    EXPECT_THAT(Shown(outcome.messages),
                ElementsAre("Project1|Run-time error '" + std::to_string(number) + "':\r\n\r\n" +
                            std::string(platform::DescriptionOf(number)) + "\r\n" + place));
}

void FaultTest::ExpectTreeUnchanged(const Outcome& outcome, const std::string& folder) {
    const auto under = [&](const DiskState& state) {
        DiskState part;
        for (const auto& [path, entry] : state) {
            if (path.starts_with(folder + "/")) {
                part.emplace(path, entry);
            }
        }
        return part;
    };
    const DiskState before = under(outcome.before);
    const DiskState after = under(outcome.after);
    for (const auto& [path, entry] : after) {
        const DiskEntry* earlier = Find(before, path);
        EXPECT_TRUE(earlier != nullptr && earlier->kind == entry.kind &&
                    earlier->bytes == entry.bytes && earlier->mode == entry.mode)
            << path << " is new or changed: " << Abridged(entry.bytes);
    }
    for (const auto& [path, entry] : before) {
        EXPECT_TRUE(after.contains(path)) << path << " is gone";
    }
}

void FaultTest::ExpectNothingLost(const Outcome& outcome) {
    for (const auto& [path, earlier] : outcome.before) {
        const DiskEntry* now = Find(outcome.after, path);
        if (now == nullptr || now->kind != earlier.kind) {
            ADD_FAILURE() << path << " is gone or no longer the same kind of entry";
        } else if (now->bytes != earlier.bytes) {
            EXPECT_TRUE(IsWholeReplacement(outcome, path, now->bytes))
                << path << " was changed to: " << Abridged(now->bytes);
        }
    }
    for (const auto& [path, entry] : outcome.after) {
        if (Find(outcome.before, path) == nullptr && entry.kind == DiskEntry::Kind::File) {
            EXPECT_FALSE(NameOf(path).starts_with(".")) << "left behind: " << path;
        }
    }
    const DiskEntry* log = Find(outcome.after, outcome.workingFolder + "/Install.log");
    if (log != nullptr && log->kind == DiskEntry::Kind::File && !log->bytes.empty()) {
        EXPECT_TRUE(log->bytes.ends_with("\r\n"))
            << "a half-written log line: " << Abridged(log->bytes);
    }
}

}  // namespace faults
