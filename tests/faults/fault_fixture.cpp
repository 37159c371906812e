#include "tests/faults/fault_fixture.h"

#include <gmock/gmock.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include "launcher/core/launcher_form.h"
#include "platform/runtime_error.h"
#include "setup/core/desktop_entry.h"
#include "setup/core/installation_files.h"

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using namespace testing_support;

namespace faults {

namespace {

std::string Failed(const std::string& what) {
    return what + ": " + std::strerror(errno);
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

std::string MakeReadOnly(const std::string& path) {
    if (::geteuid() != 0) {
        // Without root the mode bits hold; like a read-only medium, nothing below is writable.
        if (fs::is_directory(path)) {
            for (const auto& item : fs::recursive_directory_iterator(path)) {
                fs::permissions(item.path(), fs::perms::owner_write, fs::perm_options::remove);
            }
        }
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::remove);
        return {};
    }
    // Root writes whatever the mode bits say; a read-only mount stops it, like a read-only medium.
    if (std::string failure = EnterPrivateMounts(); !failure.empty()) {
        return failure;
    }
    if (::mount(path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        ::mount(nullptr, path.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        return Failed("cannot mount " + path + " read-only");
    }
    return {};
}

std::string MountSmallDisk(const std::string& folder, const std::string& size) {
    if (std::string failure = EnterPrivateMounts(); !failure.empty()) {
        return failure;
    }
    MakeFolders(folder);
    const std::string options = "size=" + size + ",mode=0755";
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        return Failed("cannot mount a tmpfs on " + folder);
    }
    return {};
}

std::string LimitFileSize(std::size_t bytes) {
    struct rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? std::string() : Failed("setrlimit");
}

std::string GiveToUnknownUser(const std::string& path, unsigned uid) {
    if (::geteuid() != 0) {
        return "needs root to give files to another user";
    }
    if (::lchown(path.c_str(), uid, uid) != 0) {
        return Failed("lchown " + path);
    }
    if (fs::is_directory(fs::symlink_status(path))) {
        for (const auto& item : fs::recursive_directory_iterator(path)) {
            if (::lchown(item.path().c_str(), uid, uid) != 0) {
                return Failed("lchown " + item.path().string());
            }
        }
    }
    return {};
}

bool Launch(const platform::Layout& layout) {
    return EndsProgram([&] { platform::RunHandler([&] { launcher::Form1(layout).Form_Load(); }); });
}

FaultTest::FaultTest() {
    MakeFolders(Profile());
}

Outcome FaultTest::Run(const Fault& fault, const std::function<void()>& action) {
    return RunIsolated([&] {
        Outcome outcome;
        outcome.notMade = fault ? fault() : std::string();
        if (!outcome.notMade.empty()) {
            return outcome;
        }
        outcome.before = ReadDiskState(root.Path());
        outcome.ended = EndsProgram([&] { platform::RunHandler(action); });
        outcome.after = ReadDiskState(root.Path());
        outcome.messages = harness.Messages();
        outcome.workingFolder = form->WorkingFolder();
        outcome.destination = controls.Text1Text();
        return outcome;
    });
}

Outcome FaultTest::Install(const Fault& fault) {
    return Run(
        [&] {
            Start();
            return fault ? fault() : std::string();
        },
        [&] { form->Command1_Click(); });
}

Outcome FaultTest::StartUp(const Fault& fault) {
    return Run(fault, [&] { form->Form_Load(); });
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
                                      const std::string& desktopTarget) const {
    EXPECT_TRUE(outcome.ended) << "the installer must end";
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
                                      const std::string& description, const std::string& place) {
    EXPECT_TRUE(outcome.ended) << "the runtime ends the program after its box";
    EXPECT_THAT(Shown(outcome.messages),
                ElementsAre("Project1|Run-time error '" + std::to_string(number) + "':\r\n\r\n" +
                            description + "\r\n" + place));
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
