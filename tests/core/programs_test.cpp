// Programs the systems really start, and what each system says about its user and places.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "platform/processes.h"
#include "tests/support/program_harness.h"

#ifndef _WIN32
#include <csignal>
#include <cstdlib>
#include <span>
#include <utility>

#include "platform/embedded_module.h"
#include "platform/posix/layout.h"

#include <dlfcn.h>

#include <unistd.h>
#endif

using ::testing::HasSubstr;
using namespace testing_support;
using platform::error::kFileNotFound;

namespace {

// Programs really started, found as the system's search finds them.
class StartProgram : public ::testing::Test {
protected:
    StartProgram() {
        MakeFolders(folder / "java-bin");
        PlaceJavaStandIn(folder / "java-bin");
        SetSearchPath(folder / "java-bin");
    }
    FolderAndPathGuard guard;
    TempFolder folder;
};

TEST_F(StartProgram, FindsABareNameOnTheSearchPathAndReturnsItsId) {
    EXPECT_GT(platform::StartProgramHidden("java"), 0);
    EXPECT_EQ(ErrorNumberOf([] { platform::StartProgramHidden("no-such-program"); }),
              kFileNotFound);
    SetSearchPath(folder / "missing");
    EXPECT_EQ(ErrorNumberOf([] { platform::StartProgramHidden("java"); }), kFileNotFound);
}

// Windows keeps its own order, the current folder before the search path. Linux searches the
// search path only: a "java" planted in the current folder, or in one that an empty or relative
// entry of the path names, is never started.
TEST_F(StartProgram, SearchesTheCurrentFolderOnlyOnWindows) {
    MakeFolders(folder / "here");
#ifdef _WIN32
    PlaceFolderRecorder(folder / "here", "java");
    std::filesystem::current_path(folder / "here");
    ASSERT_GT(platform::StartProgramHidden("java"), 0);
    EXPECT_EQ(RecordedFolder(folder / "here"), folder / "here");
#else
    // Each records the name it was started by in the current folder.
    const std::string recorder =
        "#!/bin/sh\necho \"$0\" > Velmora_KZ.pending\n/bin/mv Velmora_KZ.pending "
        "Velmora_KZ.started\n";
    MakeFolders(folder / "here/bin");
    WriteFile(folder / "here/java", recorder, 0755);
    WriteFile(folder / "here/bin/java", recorder, 0755);
    WriteFile(folder / "java-bin/java", recorder, 0755);
    std::filesystem::current_path(folder / "here");
    SetSearchPath(":.:bin:" + folder / "java-bin");
    ASSERT_GT(platform::StartProgramHidden("java"), 0);
    EXPECT_EQ(RecordedFolder(folder / "here"), folder / "java-bin/java");
    SetSearchPath(".:bin:");
    EXPECT_EQ(ErrorNumberOf([] { platform::StartProgramHidden("java"); }), kFileNotFound);
#endif
}

#ifndef _WIN32
bool IsRunning(pid_t pid) {
    return ::kill(pid, 0) == 0;
}

// A zombie still answers kill(pid, 0); only a reaped process is gone. One never reaped holds
// the test until the test run's own time limit ends it.
void WaitUntilReaped(pid_t pid) {
    while (IsRunning(pid)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

TEST_F(StartProgram, LeavesNoZombieAndPassesOverFilesThatCannotRun) {
    WriteFile(folder / "java-bin/sleeper", "#!/bin/sh\nexec sleep 30\n", 0755);

    const auto pid = platform::StartProgramHidden("sleeper");
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(IsRunning(static_cast<pid_t>(pid)));
    EXPECT_EQ(::getsid(static_cast<pid_t>(pid)), pid) << "a session of its own";
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    WaitUntilReaped(static_cast<pid_t>(pid));

    WriteFile(folder / "java-bin/not-executable", "", 0644);
    EXPECT_EQ(ErrorNumberOf([] { platform::StartProgramHidden("not-executable"); }), kFileNotFound);
}

// A name that does not fit the buffer with its terminator is the system's "result too large".
TEST(UserName, LongerThanTheBufferFailsWithTheSystemsCode) {
    try {
        platform::LogonUserName(1);
        ADD_FAILURE() << "a name cannot fit one character with its terminator";
    } catch (const platform::SystemCallFailed& failure) {
        EXPECT_EQ(failure.code, static_cast<std::uint32_t>(ERANGE));
    }
}

// Volumes stand in for drives; the Windows build has drive letters.
TEST(Drives, CurrentFolderOfADrive) {
    FolderAndPathGuard guard;
    TempFolder folder;
    platform::ChangeFolder(folder.Path());
    const auto drives = platform::Drives();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.front(), "/");
    int onCurrent = 0;
    for (const auto& drive : drives) {
        const std::string current = platform::CurrentFolderOfDrive(drive);
        EXPECT_TRUE(current == drive || current == folder.Path()) << drive;
        onCurrent += current == folder.Path() ? 1 : 0;
    }
    EXPECT_GE(onCurrent, 1) << "the drive holding the current folder opens there";
    EXPECT_EQ(ErrorNumberOf([&] { platform::CurrentFolderOfDrive(folder / "gone"); }),
              platform::error::kDeviceUnavailable);
}

// The desktop folder a user's .config/user-dirs.dirs names, as the shell that reads it would.
TEST(UserDirs, NameTheDesktopFolderOrLeaveTheDefault) {
    const struct {
        const char* text;
        const char* desktop;
    } cases[] = {
        {"", "/h/Desktop"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", "/h/Desktop"},
        {"# written by hand\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n", "/h/Schreibtisch"},
        {"  XDG_DESKTOP_DIR = \"$HOME/a b\"", "/h/a b"},
        {"XDG_DESKTOP_DIR=\"$HOME/\"\n", "/h"},
        {"XDG_DESKTOP_DIR=\"$HOME\"\n", "/h"},
        {"XDG_DESKTOP_DIR=\"/srv/desk/\"\n", "/srv/desk"},
        {"XDG_DESKTOP_DIR=\"\"\n", "/h/Desktop"},
        {"XDG_DESKTOP_DIR=\"$HOME/say \\\"hi\\\" \\$x\"\n", "/h/say \"hi\" $x"},
        {"XDG_DESKTOP_DIR=\"/first\"\nXDG_DESKTOP_DIR=\"/second\"\n", "/second"},
        {"XDG_DESKTOP_DIR=\"/first\"\nXDG_DESKTOP_DIR=\"Desk\"\n", "/h/Desktop"},
        {"XDG_DESKTOP_DIR=\"$HOMEWORK/x\"\n", "/h/Desktop"},
        {"XDG_DESKTOP_DIR=$HOME/Bare\n", "/h/Desktop"},
        {"XDG_DESKTOP_DIR=\"$HOME/Unclosed\n", "/h/Desktop"},
        {"XDG_DESKTOP_DIRS=\"/other\"\n", "/h/Desktop"},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(platform::DesktopFolderFrom(row.text, "/h"), row.desktop) << row.text;
    }
}

// The launcher's window loads the toolkit from the application folder only where nobody else
// could have swapped a library.
TEST(BundledRuntime, LoadedByFullPathOnlyFromAFolderNobodyElseCanChange) {
    TempFolder folder;
    const std::string runtime = folder / "runtime";
    MakeFolders(runtime);
    std::filesystem::copy_file(VELMORA_TEST_LIBRARY, Joined(runtime, VELMORA_TEST_LIBRARY_NAME));
    const std::array<const char*, 1> names{VELMORA_TEST_LIBRARY_NAME};
    const auto loaded = [] {
        return ::dlopen(VELMORA_TEST_LIBRARY_NAME, RTLD_NOW | RTLD_NOLOAD) != nullptr;
    };
    std::string failure;

    OpenToEveryone(runtime);
    EXPECT_FALSE(platform::LoadLibrariesFrom(runtime, names, failure));
    EXPECT_THAT(failure, HasSubstr(runtime + " can be changed by every user of this computer"));
    EXPECT_FALSE(loaded());

    std::filesystem::permissions(
        runtime, std::filesystem::perms::others_write | std::filesystem::perms::group_write,
        std::filesystem::perm_options::remove);
    const std::array<const char*, 1> absent{"libabsent.so.1"};
    EXPECT_FALSE(platform::LoadLibrariesFrom(runtime, absent, failure));
    EXPECT_THAT(failure, HasSubstr("libabsent.so.1"));
    ASSERT_TRUE(platform::LoadLibrariesFrom(runtime, names, failure)) << failure;
    EXPECT_TRUE(loaded()) << "a later load by name finds it";
}

// Where the system refuses to run code from an in-memory file, the carried module goes to an
// unlinked file in the runtime folder; where no store takes it, each one's reason is told.
TEST(EmbeddedModule, GoesToTheNextStoreWhereOneIsRefused) {
    const std::string bytes = ReadFile(VELMORA_TEST_LIBRARY);
    const std::span image(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    TempFolder runtime;
    const char* const saved[] = {std::getenv("XDG_RUNTIME_DIR"), std::getenv("TMPDIR")};
    const std::string runtimeWas = saved[0] != nullptr ? saved[0] : "";
    const std::string temporaryWas = saved[1] != nullptr ? saved[1] : "";
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    std::string failure;
    const std::array runtimeFolder{platform::ModuleStore::RuntimeFolder};
    EXPECT_NE(platform::LoadEmbeddedModule(image, "VelmoraTestLibrary", failure, runtimeFolder),
              nullptr)
        << failure;
    EXPECT_THAT(FolderEntries(runtime.Path()), ::testing::IsEmpty()) << "no name left behind";

    ::setenv("XDG_RUNTIME_DIR", (runtime / "gone").c_str(), 1);
    ::setenv("TMPDIR", (runtime / "gone too").c_str(), 1);
    const std::array neither{platform::ModuleStore::RuntimeFolder,
                             platform::ModuleStore::TemporaryFolder};
    EXPECT_EQ(platform::LoadEmbeddedModule(image, "VelmoraTestLibrary", failure, neither), nullptr);
    EXPECT_THAT(failure, HasSubstr(runtime / "gone: "));
    EXPECT_THAT(failure, HasSubstr(runtime / "gone too: "));
    for (const auto& [name, value] :
         {std::pair{"XDG_RUNTIME_DIR", runtimeWas}, std::pair{"TMPDIR", temporaryWas}}) {
        value.empty() ? ::unsetenv(name) : ::setenv(name, value.c_str(), 1);
    }
}

#endif

TEST_F(StartProgram, RunsAProgramWithArgumentsAndTellsItsExitStatus) {
#ifdef _WIN32
    EXPECT_EQ(platform::RunProgramAndWait("cmd.exe", {"/c", "exit", "3"}), 3);
#else
    EXPECT_EQ(platform::RunProgramAndWait("/bin/sh", {"-c", "exit \"$0\"", "3"}), 3);
#endif
    EXPECT_EQ(ErrorNumberOf([] { platform::RunProgramAndWait("no-such-program", {}); }),
              kFileNotFound);
}

#ifndef _WIN32
// A script runs in its interpreter from elsewhere and holds its file open; a shell merely in the
// folder does not run from it.
TEST_F(StartProgram, TellsAProgramRunningFromAFolder) {
    const std::string installed = folder / "installed";
    MakeFolders(installed);
    EXPECT_EQ(platform::ProgramRunningFrom(installed), std::nullopt);
    WriteFile(Joined(installed, "Velmora_KZ.exe"), "#!/bin/sh\n/bin/sleep 30\n", 0755);
    std::filesystem::current_path(installed);
    const auto pid = platform::StartInstalledProgram(installed, "Velmora_KZ.exe");
    std::optional<std::string> running;
    for (int i = 0; i < 500 && !running; ++i) {
        running = platform::ProgramRunningFrom(installed + "/");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(running, std::nullopt);
    ::kill(-static_cast<pid_t>(pid), SIGKILL);  // its session: the script and its sleep
    WaitUntilReaped(static_cast<pid_t>(pid));
    EXPECT_EQ(platform::ProgramRunningFrom(installed), std::nullopt)
        << "this process, whose current folder it is, does not count";
}
#endif

}  // namespace
