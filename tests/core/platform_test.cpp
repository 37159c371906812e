// Built into the tests of both systems; what one system alone has sits in #ifdef blocks here or
// in its own file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/bundled_runtime.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/removal.h"
#include "tests/support/program_harness.h"

#ifdef _WIN32
#include "platform/windows/windows_api.h"
#else
#include <functional>
#include <utility>

#include <dlfcn.h>

#include <sys/stat.h>
#include <unistd.h>
#endif

using ::testing::ElementsAre;
using namespace testing_support;
using platform::error::kFileNotFound;
using platform::error::kPathFileAccessError;
using platform::error::kPathNotFound;
using platform::error::kPermissionDenied;
namespace fs = std::filesystem;

#ifndef _WIN32
// Runs once in the middle of the next copy: the system's copy_file_range is wrapped here, as the
// kernel would be when another program writes to the source meanwhile.
std::function<void()>& WhileCopying() {
    static std::function<void()> action;
    return action;
}

extern "C" ssize_t copy_file_range(int in, loff_t* inOffset, int out, loff_t* outOffset,
                                   std::size_t length, unsigned flags) {
    using Real = ssize_t (*)(int, loff_t*, int, loff_t*, std::size_t, unsigned);
    static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "copy_file_range"));
    if (auto action = std::exchange(WhileCopying(), {})) {
        action();
    }
    return real(in, inOffset, out, outOffset, length, flags);
}
#endif

namespace {

class Copy : public ::testing::Test {
protected:
    Copy() { WriteFile(source, std::string(300000, 's'), 0775); }
    void CopyFile(const std::string& from, const std::string& to) { files.CopyFile(from, to); }
    platform::SystemFileSystem files;
    TempFolder folder;
    std::string source = folder / "source.bin";
};

TEST_F(Copy, ReplacesAnExistingDestinationWholeAndLeavesNoTemporaryFile) {
    CopyFile(source, folder / "copy.bin");
    EXPECT_EQ(ReadFile(folder / "copy.bin"), ReadFile(source));
#ifndef _WIN32
    struct stat info {};
    ::stat((folder / "copy.bin").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0755u) << "the source's mode without others' write";
#endif
    WriteFile(folder / "copy.bin", std::string(900000, 'o'));
    CopyFile(source, folder / "copy.bin");
    EXPECT_EQ(ReadFile(folder / "copy.bin"), ReadFile(source));
    EXPECT_THAT(FolderEntries(folder.Path()), ElementsAre("copy.bin", "source.bin"));
}

// A file has many names; copying it onto itself must not truncate it.
TEST_F(Copy, SameFileUnderAnotherNameIsLeftIntact) {
    MakeFolders(folder / "sub");
    std::vector<std::string> spellings{Joined(folder.Path(), ".", "source.bin"),
                                       Joined(folder.Path(), "sub", "..", "source.bin")};
    std::vector<std::string> entries{"source.bin", "sub"};
#ifdef _WIN32
    std::string upper = source;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    std::string slashes = source;
    std::replace(slashes.begin(), slashes.end(), '\\', '/');
    char shortName[MAX_PATH] = {};
    ::GetShortPathNameA(source.c_str(), shortName, MAX_PATH);
    spellings.insert(spellings.end(), {upper, slashes, shortName});
#else
    ::symlink(folder.Path().c_str(), (folder / "sub/link").c_str());
    ::symlink(source.c_str(), (folder / "file-link").c_str());
    spellings.insert(spellings.end(), {folder / "sub/link/source.bin", folder / "file-link"});
    entries.insert(entries.begin(), "file-link");
#endif
    for (const std::string& spelling : spellings) {
        CopyFile(source, spelling);
        EXPECT_EQ(ReadFile(source), std::string(300000, 's')) << spelling;
    }
    EXPECT_EQ(FolderEntries(folder.Path()), entries);
}

TEST_F(Copy, FailuresNameTheirCauseAndLeaveNoTrace) {
    EXPECT_EQ(ErrorNumberOf([&] { CopyFile(folder / "missing", folder / "copy"); }), kFileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { CopyFile(source, Joined(folder / "missing", "copy")); }),
              kPathNotFound);
    MakeFolders(folder / "a folder");
    EXPECT_EQ(ErrorNumberOf([&] { CopyFile(source, folder / "a folder"); }), kPathFileAccessError);
    EXPECT_EQ(ErrorNumberOf([&] { CopyFile(folder / "a folder", folder / "copy"); }),
              kPathFileAccessError);
    EXPECT_EQ(ErrorNumberOf([&] { CopyFile(source, folder / std::string("a\0b", 3)); }),
              platform::error::kBadFileName);
    EXPECT_THAT(FolderEntries(folder.Path()), ElementsAre("a folder", "source.bin"));
    EXPECT_TRUE(FolderEntries(folder / "a folder").empty());
}

#ifndef _WIN32
// Whoever may run the program may read the copy, whatever the medium's modes; nobody but the
// owner may change it.
TEST_F(Copy, IsReadableByAllAndChangeableByTheOwnerOnly) {
    const std::pair<unsigned, unsigned> modes[] = {
        {0600, 0644}, {0700, 0755}, {0777, 0755}, {0640, 0644}};
    for (const auto& [from, to] : modes) {
        std::filesystem::permissions(source, static_cast<std::filesystem::perms>(from));
        CopyFile(source, folder / "copy.bin");
        struct stat info {};
        ::stat((folder / "copy.bin").c_str(), &info);
        EXPECT_EQ(info.st_mode & 0777, to) << std::oct << from;
    }
}

// A source that ends before its length (as a download cut short, or a share gone away) is not
// copied as if it were whole. A sysfs file says 4096 bytes and holds a few.
TEST_F(Copy, SourceShorterThanItsLengthIsAnError) {
    const std::string shortSource = "/sys/devices/system/cpu/online";
    if (!Exists(shortSource) ||
        std::filesystem::file_size(shortSource) <= ReadFile(shortSource).size()) {
        GTEST_SKIP() << "no file here says it is longer than it is";
    }
    try {
        CopyFile(shortSource, folder / "copy");
        ADD_FAILURE() << "a short copy was called complete";
    } catch (const platform::RuntimeError& error) {
        EXPECT_EQ(error.Number(), platform::error::kInputPastEndOfFile);
        EXPECT_EQ(error.Place(), shortSource);
    }
    EXPECT_THAT(FolderEntries(folder.Path()), ElementsAre("source.bin"));
}

// A source written to while it is copied: the copy's first step appends to it first. A copy that
// looked only at the bytes it was asked for could succeed; one that checks the source at the end
// cannot.
TEST_F(Copy, SourceChangedWhileCopiedIsAnError) {
    const std::string& changing = source;
    WhileCopying() = [&changing] { WriteFile(changing, ReadFile(changing) + "more"); };
    try {
        CopyFile(source, folder / "copy.bin");
        ADD_FAILURE() << "a changing source was copied as if whole";
    } catch (const platform::RuntimeError& error) {
        EXPECT_EQ(error.Number(), platform::error::kPathFileAccessError);
        EXPECT_EQ(error.PlaceAndReason(), source + " changed while it was copied");
    }
    EXPECT_FALSE(WhileCopying()) << "the source was never copied";
    EXPECT_THAT(FolderEntries(folder.Path()), ElementsAre("source.bin"));
}
#endif

#ifdef _WIN32
// A destination that cannot be replaced keeps its old bytes: the copy goes under another name
// first and only then over it.
TEST_F(Copy, DestinationInUseKeepsItsBytes) {
    const std::string destination = folder / "in use.bin";
    WriteFile(destination, "old bytes");
    const HANDLE held = ::CreateFileA(destination.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ErrorNumberOf([&] { CopyFile(source, destination); }), kPermissionDenied);
    ::CloseHandle(held);
    EXPECT_EQ(ReadFile(destination), "old bytes");
    EXPECT_THAT(FolderEntries(folder.Path()), ElementsAre("in use.bin", "source.bin"));
}
#endif

TEST(Folders, CreateFailsWhenPresentOrOrphanedAndChangeWhenMissing) {
    TempFolder folder;
    platform::CreateFolder(folder / "new");
    EXPECT_EQ(ErrorNumberOf([&] { platform::CreateFolder(folder / "new"); }), kPathFileAccessError);
    EXPECT_EQ(ErrorNumberOf([&] { platform::CreateFolder(Joined(folder / "no", "parent")); }),
              kPathNotFound);
    const std::string deep = Joined(folder / "deep", "er", "still");
    platform::CreateFolderTree(deep);
    platform::CreateFolderTree(deep);
    EXPECT_TRUE(Exists(deep));

    FolderAndPathGuard guard;
    WriteFile(folder / "file", "x");
    EXPECT_EQ(ErrorNumberOf([&] { platform::ChangeFolder(folder / "missing"); }), kPathNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { platform::ChangeFolder(folder / "file"); }), kPathNotFound);
    std::filesystem::current_path(folder.Path());
    platform::ChangeFolder(folder / "new");
    EXPECT_EQ(platform::CurrentFolder(), folder / "new");
}

#ifndef _WIN32
TEST(Folders, ListingShowsNeitherFilesNorHiddenFolders) {
    TempFolder folder;
    MakeFolders(folder / "shown");
    MakeFolders(folder / ".hidden");
    WriteFile(folder / "file", "");
    EXPECT_EQ(platform::SubfolderNames(folder.Path()), std::vector<std::string>{"shown"});
    EXPECT_TRUE(platform::SubfolderNames(folder / "missing").empty());
}
#endif

TEST(Folders, MadeFoldersPassTheLaunchersCheckAndSharedOnesDoNot) {
    TempFolder folder;
    platform::CreateFolder(folder / "made");
    platform::ReplaceFile(Joined(folder / "made", "file.txt"), "x\r\n");
    platform::RequireOnlyOwnerCanWrite(folder / "made");
    platform::RequireOnlyOwnerCanWrite(Joined(folder / "made", "file.txt"));
    EXPECT_EQ(ErrorNumberOf([&] { platform::RequireOnlyOwnerCanWrite(folder / "missing"); }),
              kPathNotFound);

    MakeFolders(folder / "shared");
    OpenToEveryone(folder / "shared");
    try {
        platform::RequireOnlyOwnerCanWrite(folder / "shared");
        ADD_FAILURE() << "a folder everyone may change passed";
    } catch (const platform::RuntimeError& error) {
        EXPECT_EQ(error.Number(), kPermissionDenied);
        EXPECT_EQ(error.Place(), folder / "shared");
        EXPECT_EQ(error.Why(), platform::Reason::OthersCanChange);
    }
}

// What Uninstall and Setup's recovery act on: nobody else may change the file, nor any folder
// above it; the refusal names the place and who else can change it.
TEST(Folders, NobodyElseMayChangeAFileOrAnyFolderAboveIt) {
    TempFolder folder;
    const std::string outer = folder / "a";
    const std::string inner = Joined(outer, "b");
    platform::CreateFolder(outer);
    platform::CreateFolder(inner);
    const std::string file = Joined(inner, "file.txt");
    platform::ReplaceFile(file, "x\r\n");
    EXPECT_NO_THROW(platform::RequireNobodyElseCanChange(file));
    const auto refusal = [&](const std::string& path) {
        try {
            platform::RequireNobodyElseCanChange(path);
        } catch (const platform::RuntimeError& error) {
            EXPECT_EQ(error.Why(), platform::Reason::OthersCanChange) << path;
            return error.PlaceAndReason();
        }
        return std::string("<passed>");
    };
    OpenToEveryone(outer);
    EXPECT_THAT(refusal(file), ::testing::StartsWith(outer + " can be changed by every user"));
#ifndef _WIN32
    // Shared as /tmp is: others may add names there, not rename or remove ours.
    fs::permissions(outer, static_cast<fs::perms>(01777));
    EXPECT_EQ(refusal(file), "<passed>");
    EXPECT_THAT(refusal(outer), ::testing::StartsWith(outer + " can be changed by every user"))
        << "the place itself may not be shared";
    fs::permissions(outer, static_cast<fs::perms>(0755));
    fs::permissions(inner, static_cast<fs::perms>(0775));
    EXPECT_THAT(refusal(file),
                ::testing::StartsWith(inner + " can be changed by the members of the group "));
    fs::permissions(inner, static_cast<fs::perms>(0755));
    fs::permissions(file, static_cast<fs::perms>(0646));
    EXPECT_EQ(refusal(file), file + " can be changed by every user of this computer");
    fs::permissions(file, static_cast<fs::perms>(0644));

    // A link on the way counts with the folders it leads through.
    const std::string open = folder / "open";
    MakeFolders(Joined(open, "real"));
    fs::permissions(open, static_cast<fs::perms>(0777));
    WriteFile(Joined(open, "real", "file.txt"), "y");
    fs::create_symlink(Joined(open, "real"), Joined(inner, "link"));
    EXPECT_EQ(refusal(Joined(inner, "link", "file.txt")),
              open + " can be changed by every user of this computer");
#endif
}

// What a launcher copy needs on a desktop without Qt is copied whole into a new folder, for the
// install to move into the application folder.
TEST(BundledRuntime, CopiedWholeIntoAFolderEachFolderBeforeWhatItHolds) {
    TempFolder folder;
    platform::SystemFileSystem files;
    const std::string runtime = Joined(folder / "medium", platform::kBundledRuntimeFolder);
    MakeFolders(Joined(runtime, "platforms"));
    WriteFile(Joined(runtime, "libone.so.1"), "new library", 0664);
    WriteFile(Joined(runtime, "platforms", "libplugin.so"), "plugin");
    const std::string copy = folder / "staging";
    MakeFolders(copy);

    ASSERT_TRUE(platform::CarriesBundledRuntime(folder / "medium"));
    using Entry = platform::BundledEntry;
    const auto read = [](std::string_view bytes) {
        return platform::FileContents{static_cast<std::int64_t>(bytes.size()),
                                      platform::HashOf(bytes)};
    };
    EXPECT_THAT(
        platform::CopyBundledRuntime(files, folder / "medium", copy),
        ElementsAre(Entry{"libone.so.1", false, read("new library")}, Entry{"platforms", true},
                    Entry{Joined("platforms", "libplugin.so"), false, read("plugin")}));
    EXPECT_EQ(ReadFile(Joined(copy, "libone.so.1")), "new library");
    EXPECT_EQ(ReadFile(Joined(copy, "platforms", "libplugin.so")), "plugin");
    for (const std::string& made : {Joined(copy, "libone.so.1"), Joined(copy, "platforms")}) {
        EXPECT_NO_THROW(platform::RequireOnlyOwnerCanWrite(made)) << made;
    }
    EXPECT_THAT(FolderEntries(copy), ElementsAre("libone.so.1", "platforms"))
        << "each file under its own name, no temporary";

    TempFolder windowsMedium;
    EXPECT_FALSE(platform::CarriesBundledRuntime(windowsMedium.Path()));
}

TEST(TextFiles, OutputTruncatesAppendKeepsAndAFolderIsNoFile) {
    TempFolder folder;
    const std::string file = folder / "log";
    platform::PrintLine(file, platform::OpenFor::Append, "one");
    platform::PrintLine(file, platform::OpenFor::Append, "two");
    EXPECT_EQ(ReadFile(file), "one\r\ntwo\r\n");
    platform::PrintLine(file, platform::OpenFor::Output, "three");
    EXPECT_EQ(ReadFile(file), "three\r\n");
    EXPECT_EQ(platform::ReadPrefix(file, 3), "thr");
    EXPECT_EQ(platform::ReadPrefix(file, 100), "three\r\n");
    EXPECT_EQ(
        ErrorNumberOf([&] { platform::PrintLine(folder.Path(), platform::OpenFor::Append, "x"); }),
        kPathFileAccessError);
    EXPECT_EQ(ErrorNumberOf([&] { platform::ReadPrefix(folder / "missing", 1); }), kFileNotFound);
}

TEST(FileLength, FoldersAndRootsAreZeroLong) {
    TempFolder folder;
    WriteFile(folder / "five", "12345");
    EXPECT_EQ(platform::FileLength(folder / "five"), 5);
    EXPECT_EQ(platform::FileLength(folder.Path()), 0);
    EXPECT_EQ(platform::FileLength(RootOf(folder.Path())), 0);
    EXPECT_EQ(ErrorNumberOf([&] { platform::FileLength(folder / "missing"); }), kFileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { platform::FileLength(Joined(folder / "missing", "below")); }),
              kPathNotFound);
}

// What an uninstall sees of a place and how it removes it: never through a link, never a folder
// that holds anything, never a file Windows marks read-only or a program holds open.
TEST(Removal, SeesPlacesAsTheyAreAndRemovesOnlyWhatItIsAsked) {
    TempFolder folder;
    const std::string file = folder / "file.txt";
    const std::string inner = folder / "inner";
    WriteFile(file, "twelve bytes");
    MakeFolders(inner);
    WriteFile(Joined(inner, ".hidden"), "");
    EXPECT_EQ(platform::FactsOf(folder / "missing").kind, platform::EntryKind::None);
    EXPECT_EQ(platform::FactsOf(Joined(folder / "missing", "below")).kind,
              platform::EntryKind::None);
    EXPECT_EQ(platform::FactsOf(file).kind, platform::EntryKind::File);
    EXPECT_EQ(platform::FactsOf(file).size, 12);
    EXPECT_EQ(platform::FactsOf(inner).kind, platform::EntryKind::Folder);
    EXPECT_THAT(platform::EntriesOf(inner), ElementsAre(".hidden"));

    EXPECT_NE(ErrorNumberOf([&] { platform::RemoveOneFile(inner); }), 0);
    EXPECT_NE(ErrorNumberOf([&] { platform::RemoveEmptyFolder(inner); }), 0);
    EXPECT_TRUE(Exists(Joined(inner, ".hidden")));
    EXPECT_EQ(ErrorNumberOf([&] { platform::RemoveOneFile(folder / "missing"); }), kFileNotFound);
#ifdef _WIN32
    ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(ErrorNumberOf([&] { platform::RemoveOneFile(file); }), kPermissionDenied);
    EXPECT_TRUE(Exists(file));
    ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    const HANDLE held = ::CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(ErrorNumberOf([&] { platform::RemoveOneFile(file); }), kPermissionDenied);
    ::CloseHandle(held);
    EXPECT_TRUE(Exists(file));
#else
    const std::string link = folder / "link";
    std::filesystem::create_symlink(inner, link);
    EXPECT_EQ(platform::FactsOf(link).kind, platform::EntryKind::Other);
    EXPECT_NE(ErrorNumberOf([&] { platform::ReadPrefix(link, 10, platform::Links::Refuse); }), 0);
    platform::RemoveOneFile(link);
    EXPECT_TRUE(Exists(Joined(inner, ".hidden"))) << "the link went, not what it named";
    ::mkfifo((folder / "pipe").c_str(), 0600);
    EXPECT_NE(
        ErrorNumberOf([&] { platform::ReadPrefix(folder / "pipe", 10, platform::Links::Refuse); }),
        0);
#endif
    EXPECT_EQ(platform::ReadPrefix(file, 6, platform::Links::Refuse), "twelve");
    platform::RemoveOneFile(file);
    platform::RemoveOneFile(Joined(inner, ".hidden"));
    platform::RemoveEmptyFolder(inner);
    EXPECT_FALSE(Exists(file));
    EXPECT_FALSE(Exists(inner));
}

}  // namespace
