// Built into the tests of both systems: the install record's format and how it is read back, how
// a placed file is known again, and which folders no uninstall removes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "platform/file_system.h"
#include "platform/removal.h"
#include "record/content_hash.h"
#include "record/file_identity.h"
#include "record/install_record.h"
#include "tests/support/program_harness.h"
#include "tests/support/temp_folder.h"
#include "uninstall/core/protected_places.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// The algorithms' published values: XXH64 for records of the first format, the first and the
// last exercising its two paths; XXH3-128 as xxhsum -H2 prints it, which lays out the medium's
// list, whole and in pieces of the size a copy reads.
TEST(ContentHash, IsXxh64ForEarlierRecordsAndXxh3_128AsXxhsumPrintsIt) {
    EXPECT_EQ(record::EarlierContentHash(""), 0xEF46DB3751D8E999ULL);
    EXPECT_EQ(record::EarlierContentHash("abc"), 0x44BC2CF5AD770999ULL);
    EXPECT_EQ(record::EarlierContentHash("Nobody inspects the spammish repetition"),
              0xFBCEA83C8A378BF1ULL);

    const std::string big(3000000, 'v');
    const std::pair<std::string, std::string> cases[] = {
        {"", "99aa06d3014798d86001c324468d497f"},
        {"hello\n", "6bba86c7e069f56d5a10b435f1c8e49c"},
        {big, "ff927b6d306aae8bd313524cc660b5b6"},
    };
    for (const auto& [bytes, printed] : cases) {
        EXPECT_EQ(platform::HexOf(platform::HashOf(bytes)), printed);
        EXPECT_EQ(platform::ParseContentHash(printed), platform::HashOf(bytes));
        platform::ContentHasher pieces;
        for (std::size_t at = 0; at < bytes.size(); at += 262144) {
            pieces.Add(std::string_view(bytes).substr(at, 262144));
        }
        EXPECT_EQ(pieces.Result(), (platform::FileContents{static_cast<std::int64_t>(bytes.size()),
                                                           platform::HashOf(bytes)}));
    }
    for (const char* text :
         {"", "6bba86c7e069f56d5a10b435f1c8e49", "+bba86c7e069f56d5a10b435f1c8e49c",
          "6bba86c7e069f56d5a10b435f1c8e49x"}) {
        EXPECT_EQ(platform::ParseContentHash(text), std::nullopt) << text;
    }
}

const platform::ContentHash kSomeHash{0x0123456789ABCDEFULL, 0xFEDCBA9876543210ULL};

TEST(InstallRecord, ReadsBackWhatItWroteWhateverThePathsHold) {
    const record::InstallRecord written{
        platform::Scope::Everyone,
        {"C:\\Apps\\Tool", "/home/a b/trailing blank ", "/100% sure"},
        {"/line\nbreak", "/carriage\rreturn", "/non-ascii \xC3\xA9t\xC3\xA9"},
        {{"/home/a b/x.exe", 12, -5, kSomeHash},
         {"/big", std::int64_t{1} << 40, 1796671447073090083, record::SizeAndTime{}},
         {"/earlier", 7, 8, record::EarlierHash{0x0123456789ABCDEFULL}},
         {"/none", 7, 8, record::NoHash{}}},
        {{"/home/a b/readme.txt", "/apps/Kept files/readme.txt (2)"}}};
    const std::string text = record::Format(written);
    EXPECT_EQ(record::Parse(text), written);
    EXPECT_THAT(text,
                ::testing::StartsWith("Velmora_KZ 2.0.1 install record 2\r\nscope everyone\r\n"));
    EXPECT_THAT(text, ::testing::EndsWith("\r\nend\r\n"));
    EXPECT_THAT(text, ::testing::HasSubstr("\r\nfolder /line%0Abreak\r\n"));
    EXPECT_THAT(text, ::testing::HasSubstr(
                          "\r\nfile 12 -5 0123456789abcdeffedcba9876543210 /home/a b/x.exe\r\n"));
    EXPECT_THAT(text, ::testing::HasSubstr("\r\nfile 7 8 xxh64:0123456789abcdef /earlier\r\n"));
    EXPECT_THAT(text, ::testing::HasSubstr(
                          "\r\nkept /home/a%20b/readme.txt /apps/Kept files/readme.txt (2)"));

    const record::InstallRecord empty;
    EXPECT_EQ(record::Parse(record::Format(empty)), empty);
}

// As the version before this one wrote them: its small files by their XXH64, its large ones by
// their size and time, and a "-" on a small file (which it never wrote) by nothing.
TEST(InstallRecord, ARecordOfTheFirstFormatStillReads) {
    const std::string text =
        "Velmora_KZ 2.0.1 install record 1\r\nscope user\r\ninstall /d\r\nfolder /d\r\n"
        "file 12 -5 0123456789abcdef /d/readme.txt\r\n"
        "file 2097152 9 - /d/Velmora_KZ.jar\r\n"
        "file 1048576 9 - /d/forged\r\n";
    EXPECT_EQ(record::Parse(text),
              (record::InstallRecord{
                  platform::Scope::ThisUser,
                  {"/d"},
                  {"/d"},
                  {{"/d/readme.txt", 12, -5, record::EarlierHash{0x0123456789ABCDEFULL}},
                   {"/d/Velmora_KZ.jar", 2097152, 9, record::SizeAndTime{}},
                   {"/d/forged", 1048576, 9, record::NoHash{}}}}));
}

TEST(InstallRecord, TextThatIsNotARecordNamesTheLine) {
    const std::string header = "Velmora_KZ 2.0.1 install record 1\r\n";
    const std::string ended = "Velmora_KZ 2.0.1 install record 2\r\n";
    constexpr int kNotOne = platform::error::kTypeMismatch;
    constexpr int kCutShort = platform::error::kInputPastEndOfFile;
    const std::tuple<std::string, std::string, int> cases[] = {
        {"", "line 1", kNotOne},
        {"Velmora_KZ 2.0.1 install record 3\r\nscope user\r\n", "line 1", kNotOne},
        {header, "line 2", kNotOne},                   // no scope
        {header + "scope user", "line 2", kCutShort},  // no line end
        {header + "scope someone\r\n", "line 2", kNotOne},
        {header + "scope user\r\nscope user\r\n", "line 3", kNotOne},
        {header + "scope user\r\nremove /\r\n", "line 3", kNotOne},
        {header + "scope user\r\ninstall \r\n", "line 3", kNotOne},
        {header + "scope user\r\nfolder /bad%4\r\n", "line 3", kNotOne},
        {header + "scope user\r\nfile 1 2 - \r\n", "line 3", kNotOne},
        {header + "scope user\r\nfile x 2 - /f\r\n", "line 3", kNotOne},
        {header + "scope user\r\nfile 1 2 12ab /f\r\n", "line 3", kNotOne},
        {header + "scope user\r\nfile 1 2 /f\r\n", "line 3", kNotOne},
        {header + "scope user\r\nend\r\n", "line 3", kNotOne},  // the first version has none
        // Sizes no file Setup placed has: past 16 TiB, below zero, hashed past 1 MiB.
        {header + "scope user\r\nfile 1152921504606846976 2 - /f\r\n", "line 3", kNotOne},
        {header + "scope user\r\nfile -1 2 - /f\r\n", "line 3", kNotOne},
        {header + "scope user\r\nfile 1048577 2 0123456789abcdef /f\r\n", "line 3", kNotOne},
        // Cut short at a line end: the end is missing, or something follows it.
        {ended + "scope user\r\nfile 1 2 - /f\r\n", "line 4", kCutShort},
        {ended + "scope user\r\nend", "line 3", kCutShort},
        {ended + "scope user\r\nend\r\nfile 1 2 - /f\r\n", "line 4", kNotOne},
        {ended + "scope user\r\nend 1\r\n", "line 3", kNotOne},
        // Hashes of the other format's spelling, kept files in the first.
        {ended + "scope user\r\nfile 1 2 0123456789abcdef /f\r\n", "line 3", kNotOne},
        {ended + "scope user\r\nfile 1 2 xxh64:12ab /f\r\n", "line 3", kNotOne},
        {ended + "scope user\r\nkept /only-one\r\n", "line 3", kNotOne},
        {header + "scope user\r\nfile 1 2 0123456789abcdeffedcba9876543210 /f\r\n", "line 3",
         kNotOne},
        {header + "scope user\r\nkept /a /b\r\n", "line 3", kNotOne},
    };
    for (const auto& [text, line, number] : cases) {
        try {
            record::Parse(text);
            ADD_FAILURE() << "taken as a record: " << text;
        } catch (const platform::RuntimeError& error) {
            EXPECT_EQ(error.Number(), number) << text;
            EXPECT_EQ(error.Place(), line) << text;
        }
    }
    // What the earlier version wrote still reads, its largest hashed file included.
    EXPECT_EQ(
        record::Parse(header + "scope user\r\nfile 1048576 2 0123456789abcdef /f\r\n"),
        (record::InstallRecord{platform::Scope::ThisUser,
                               {},
                               {},
                               {{"/f", 1048576, 2, record::EarlierHash{0x0123456789ABCDEFULL}}}}));
}

TEST(InstallRecord, IsReadOnlyAsAPlainFileOfBoundedSize) {
    TempFolder folder;
    platform::SystemFileSystem files;
    const std::string path = folder / "Install.record";
    EXPECT_EQ(record::Read(files, path), std::nullopt);

    record::Write(files, path, record::InstallRecord{});
    EXPECT_EQ(record::Read(files, path), record::InstallRecord{});
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"Install.record"});

    {
        std::ofstream huge(path, std::ios::binary | std::ios::trunc);
        huge.seekp(static_cast<std::streamoff>(record::kMaxRecordBytes));
        huge.put('x');
    }
    EXPECT_EQ(ErrorNumberOf([&] { record::Read(files, path); }), platform::error::kBadRecordLength);

    RemoveTree(path);
    MakeFolders(path);
    EXPECT_NE(ErrorNumberOf([&] { record::Read(files, path); }), 0);
#ifndef _WIN32
    RemoveTree(path);
    WriteFile(folder / "elsewhere", record::Format(record::InstallRecord{}));
    fs::create_symlink(folder / "elsewhere", path);
    EXPECT_NE(ErrorNumberOf([&] { record::Read(files, path); }), 0) << "a link is not followed";
#endif
}

TEST(InstallRecord, AReinstallAddsToWhatWasRecorded) {
    record::InstallRecord earlier{platform::Scope::ThisUser,
                                  {"/d1"},
                                  {"/d1", "/menu"},
                                  {{"/d1/a", 1, 1, kSomeHash}, {"/menu/x", 2, 2, kSomeHash}},
                                  {{"/d1/readme.txt", "/a/Kept files/readme.txt"}}};
    const record::InstallRecord later{
        platform::Scope::ThisUser,
        {"/d2", "/d1"},
        {"/d2"},
        {{"/menu/x", 3, 3, record::NoHash{}}, {"/d2/a", 4, 4, kSomeHash}},
        {{"/d1/readme.txt", "/a/Kept files/readme.txt"},
         {"/d2/readme.txt", "/a/Kept files/readme.txt (2)"}}};
    record::Merge(earlier, later);
    EXPECT_EQ(earlier,
              (record::InstallRecord{platform::Scope::ThisUser,
                                     {"/d1", "/d2"},
                                     {"/d1", "/menu", "/d2"},
                                     {{"/d1/a", 1, 1, kSomeHash},
                                      {"/menu/x", 3, 3, record::NoHash{}},
                                      {"/d2/a", 4, 4, kSomeHash}},
                                     {{"/d1/readme.txt", "/a/Kept files/readme.txt"},
                                      {"/d2/readme.txt", "/a/Kept files/readme.txt (2)"}}}));
}

// Whether a recorded file is still the one Setup placed, after what a user may have done to it,
// small and large alike, and as records of the first format knew their files.
TEST(PlacedFile, IsKnownAgainOnlyAsItWasPlaced) {
    TempFolder folder;
    platform::SystemFileSystem files;
    const std::string path = folder / "Velmora_KZ.jar";
    const std::string small = "the placed bytes";
    const std::string big = std::string(std::size_t{1} << 21, 'j');
    const auto changeInPlace = [&] {
        KeepingItsTime(path, [&] {
            std::string bytes = ReadFile(path);
            bytes.back() ^= 1;
            WriteFile(path, bytes);
        });
    };
    using record::FileState;
    struct Case {
        const char* what;
        std::function<void()> change;
        FileState small, big, earlierSmall, earlierBig, unhashed;
    };
    const Case cases[] = {
        {"untouched", [] {}, FileState::AsPlaced, FileState::AsPlaced, FileState::AsPlaced,
         FileState::AsPlaced, FileState::Changed},
        {"rewritten", [&] { WriteFile(path, "other bytes, another size"); }, FileState::Changed,
         FileState::Changed, FileState::Changed, FileState::Changed, FileState::Changed},
        {"changed in place, its time put back", changeInPlace, FileState::Changed,
         FileState::Changed, FileState::Changed, FileState::AsPlaced, FileState::Changed},
        {"touched",
         [&] { fs::last_write_time(path, fs::last_write_time(path) + std::chrono::hours(1)); },
         FileState::Changed, FileState::Changed, FileState::Changed, FileState::Changed,
         FileState::Changed},
        {"replaced by a folder",
         [&] {
             RemoveTree(path);
             MakeFolders(path);
         },
         FileState::Changed, FileState::Changed, FileState::Changed, FileState::Changed,
         FileState::Changed},
        {"removed", [&] { RemoveTree(path); }, FileState::Gone, FileState::Gone, FileState::Gone,
         FileState::Gone, FileState::Gone},
    };
    for (const Case& c : cases) {
        for (const bool large : {false, true}) {
            const std::string& bytes = large ? big : small;
            RemoveTree(path);
            WriteFile(path, bytes);
            const record::PlacedFile placed = record::Identify(files, path);
            EXPECT_EQ(placed.contents, record::KnownContents{platform::HashOf(bytes)});
            record::PlacedFile earlier = placed;
            earlier.contents = large ? record::KnownContents{record::SizeAndTime{}}
                                     : record::EarlierHash{record::EarlierContentHash(bytes)};
            record::PlacedFile unhashed = placed;
            unhashed.contents = record::NoHash{};
            c.change();
            EXPECT_EQ(record::StateOf(files, placed), large ? c.big : c.small)
                << c.what << (large ? ", large" : "");
            EXPECT_EQ(record::StateOf(files, earlier), large ? c.earlierBig : c.earlierSmall)
                << c.what << (large ? ", large, first format" : ", first format");
            EXPECT_EQ(record::StateOf(files, unhashed), c.unhashed) << c.what << ", no hash";
        }
    }
}

// Whatever a record names, these stay.
TEST(ProtectedPlaces, CoverTheSystemsAndTheUsersOwnFolders) {
    TempFolder folder;
    const platform::Layout layout = platform::LayoutRootedIn(folder.Path());
    const std::string user = "ann";
    const platform::UserPlaces places = layout.PlacesOf(user);
    const uninstall::ProtectedPlaces protectedPlaces(layout, user, platform::SystemFolders());

    std::vector<std::string> covered = {folder.Path(),
                                        places.profile,
                                        places.desktop,
                                        places.startMenu,
                                        places.programs,
                                        Joined(places.profile, "Documents"),
                                        layout.sharedPlaces.desktop,
                                        layout.sharedPlaces.startMenu,
                                        layout.sharedPlaces.programs,
                                        "relative",
                                        RootOf(folder.Path())};
    for (const auto& place : platform::SystemFolders()) {
        covered.push_back(place);
    }
    if (!layout.userPlaces.iconTheme.empty()) {
        covered.push_back(layout.userPlaces.iconTheme);
        covered.push_back(layout.sharedPlaces.iconTheme);
    }
#ifdef _WIN32
    covered.insert(covered.end(), {"D:\\", "d:", "\\\\host\\share", "C:\\PROGRAM FILES\\"});
#else
    covered.insert(covered.end(), {"/", "/opt", "/usr/local", "/usr/local/bin/"});
    covered.push_back(places.profile + "/.local/share");
#endif
    for (const auto& place : covered) {
        EXPECT_TRUE(protectedPlaces.Covers(place)) << place;
    }

    std::vector<std::string> free = {layout.applicationFolder, Joined(folder.Path(), "apps"),
                                     Joined(places.profile, "Velmora_KZ"),
                                     Joined(places.desktop, "made by the install")};
    if (!layout.userPlaces.iconTheme.empty()) {
        free.push_back(Joined(layout.userPlaces.iconTheme, "16x16", "apps"));
    }
    for (const auto& place : free) {
        EXPECT_FALSE(protectedPlaces.Covers(place)) << place;
    }
}

}  // namespace
