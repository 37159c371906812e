// Windows XP lacks the functions Vista added, which the programs look up when they run. Wine has
// them all: here each runs once as it is and once with them hidden, and the older way must give
// what the newer one gives.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/processes.h"
#include "platform/uninstall_entry.h"
#include "platform/windows/support.h"
#include "platform/windows/system_function.h"
#include "platform/windows/windows_api.h"
#include "tests/wine/wine_support.h"

// What the threads runtime calls through the import slot the programs define in its place
// (platform/windows/xp_imports.cpp, linked into these tests as into the programs).
extern "C" __declspec(dllimport) ULONGLONG WINAPI GetTickCount64();

using namespace testing_support;
using namespace wine_testing;

namespace {

class OlderWindows : public ::testing::TestWithParam<bool> {
protected:
    OlderWindows() { platform::detail::hideNewerFunctions = GetParam(); }
    ~OlderWindows() override { platform::detail::hideNewerFunctions = false; }
};

std::string Lowered(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

TEST_P(OlderWindows, TellsTheProgramRunningFromAFolder) {
    TempFolder folder;
    const std::string program = folder / "Velmora_KZ.exe";
    ASSERT_TRUE(
        ::CopyFileW(platform::Wide(JavaStandIn()).c_str(), platform::Wide(program).c_str(), FALSE));
    EXPECT_EQ(platform::ProgramRunningFrom(folder.Path()), std::nullopt);
    std::wstring commandLine = L"\"" + platform::Wide(program) + L"\" wait";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(::CreateProcessW(platform::Wide(program).c_str(), commandLine.data(), nullptr,
                                 nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                                 &started));
    std::optional<std::string> running;
    for (int i = 0; i < 500 && !running; ++i) {
        running = platform::ProgramRunningFrom(folder.Path());
        ::Sleep(10);
    }
    ::TerminateProcess(started.hProcess, 0);
    ::WaitForSingleObject(started.hProcess, INFINITE);
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
    ASSERT_NE(running, std::nullopt);
    EXPECT_EQ(Lowered(*running), Lowered(program));
    EXPECT_EQ(platform::ProgramRunningFrom(folder.Path()), std::nullopt);
}

TEST_P(OlderWindows, RemovesTheUninstallEntryOfEitherScope) {
    const platform::UninstallEntry entry{
        "D:\\Apps", "\"C:\\Velmora_KZ\\Uninstall.exe\"", "D:\\Apps\\Velmora_KZ.2.0.1.exe", 1, {}};
    for (const auto scope : {platform::Scope::ThisUser, platform::Scope::Everyone}) {
        const HKEY root =
            scope == platform::Scope::Everyone ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        const REGSAM view = scope == platform::Scope::Everyone ? KEY_WOW64_32KEY : 0;
        // A Windows without RegDeleteKeyExW has one view, and no 64-bit build runs there.
        if (sizeof(void*) == 8 && GetParam() && view != 0) {
            continue;
        }
        platform::WriteUninstallEntry(scope, entry);
        platform::RemoveUninstallEntry(scope);
        HKEY key = nullptr;
        EXPECT_EQ(::RegOpenKeyExA(root, platform::kUninstallKey, 0, KEY_READ | view, &key),
                  ERROR_FILE_NOT_FOUND);
    }
}

// A program file anyone may change is refused on a volume that keeps permissions, as Wine's C:
// does.
TEST_P(OlderWindows, StartsOnlyAProgramNobodyElseCanChange) {
    TempFolder folder;
    const std::string program = folder / "java.exe";
    ASSERT_TRUE(
        ::CopyFileW(platform::Wide(JavaStandIn()).c_str(), platform::Wide(program).c_str(), FALSE));
    platform::RequireTrustedProgram(folder.Path(), "java.exe");
    const auto id = static_cast<DWORD>(platform::StartInstalledProgram(folder.Path(), "java.exe"));
    if (const HANDLE started = ::OpenProcess(SYNCHRONIZE, FALSE, id); started != nullptr) {
        ::WaitForSingleObject(started, INFINITE);
        ::CloseHandle(started);
    }
    OpenToEveryone(program);
    EXPECT_EQ(ErrorNumberOf([&] { platform::RequireTrustedProgram(folder.Path(), "java.exe"); }),
              platform::error::kPermissionDenied);
}

// What tells a volume without permissions (FAT), where nothing is checked: the same flags either
// way.
TEST_P(OlderWindows, TellsWhetherTheVolumeKeepsPermissions) {
    TempFolder folder;
    const platform::detail::Handle held(
        ::CreateFileW(platform::Wide(folder.Path()).c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(held.Valid());
    const std::optional<DWORD> flags = platform::detail::VolumeFlagsOf(held.Get(), folder.Path());
    platform::detail::hideNewerFunctions = !GetParam();
    EXPECT_EQ(flags, platform::detail::VolumeFlagsOf(held.Get(), folder.Path()));
    ASSERT_TRUE(flags.has_value());
    EXPECT_NE(*flags & FS_PERSISTENT_ACLS, 0u) << "Wine's C: keeps permissions";
}

TEST_P(OlderWindows, CountsTheTicksAsTheSystemDoes) {
    const DWORD before = ::GetTickCount();
    const ULONGLONG first = GetTickCount64();
    const ULONGLONG second = GetTickCount64();
    const DWORD after = ::GetTickCount();
    EXPECT_LE(first, second);
    if (after >= before) {  // no wrap of the 32-bit count meanwhile
        EXPECT_GE(static_cast<DWORD>(first), before);
        EXPECT_LE(static_cast<DWORD>(second), after);
    }
}

INSTANTIATE_TEST_SUITE_P(Each, OlderWindows, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "WithoutVistasFunctions" : "WithThem");
});

}  // namespace
