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

// The algorithm's published values; the first and the last exercise its two paths.
TEST(ContentHash, IsXxh64) {
    EXPECT_EQ(record::ContentHash(""), 0xEF46DB3751D8E999ULL);
    EXPECT_EQ(record::ContentHash("abc"), 0x44BC2CF5AD770999ULL);
    EXPECT_EQ(record::ContentHash("Nobody inspects the spammish repetition"),
              0xFBCEA83C8A378BF1ULL);
}

TEST(InstallRecord, ReadsBackWhatItWroteWhateverThePathsHold) {
    const record::InstallRecord written{
        platform::Scope::Everyone,
        {"C:\\Apps\\Tool", "/home/a b/trailing blank ", "/100% sure"},
        {"/line\nbreak", "/carriage\rreturn", "/non-ascii \xC3\xA9t\xC3\xA9"},
        {{"/home/a b/x.exe", 12, -5, 0x0123456789ABCDEFULL},
         {"/big", std::int64_t{1} << 40, 1796671447073090083, std::nullopt}}};
    const std::string text = record::Format(written);
    EXPECT_EQ(record::Parse(text), written);
    EXPECT_THAT(text,
                ::testing::StartsWith("Velmora_KZ 2.0.1 install record 2\r\nscope everyone\r\n"));
    EXPECT_THAT(text, ::testing::EndsWith("\r\nend\r\n"));
    EXPECT_THAT(text, ::testing::HasSubstr("\r\nfolder /line%0Abreak\r\n"));
    EXPECT_THAT(text, ::testing::HasSubstr("\r\nfile 12 -5 0123456789abcdef /home/a b/x.exe\r\n"));

    const record::InstallRecord empty;
    EXPECT_EQ(record::Parse(record::Format(empty)), empty);
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
    EXPECT_EQ(record::Parse(header + "scope user\r\nfile 1048576 2 0123456789abcdef /f\r\n"),
              (record::InstallRecord{
                  platform::Scope::ThisUser, {}, {}, {{"/f", 1048576, 2, 0x0123456789ABCDEFULL}}}));
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
                                  {{"/d1/a", 1, 1, 1}, {"/menu/x", 2, 2, 2}}};
    const record::InstallRecord later{platform::Scope::ThisUser,
                                      {"/d2", "/d1"},
                                      {"/d2"},
                                      {{"/menu/x", 3, 3, 3}, {"/d2/a", 4, 4, 4}}};
    record::Merge(earlier, later);
    EXPECT_EQ(earlier, (record::InstallRecord{
                           platform::Scope::ThisUser,
                           {"/d1", "/d2"},
                           {"/d1", "/menu", "/d2"},
                           {{"/d1/a", 1, 1, 1}, {"/menu/x", 3, 3, 3}, {"/d2/a", 4, 4, 4}}}));
}

// Whether a recorded file is still the one Setup placed, after what a user may have done to it.
TEST(PlacedFile, IsKnownAgainOnlyAsItWasPlaced) {
    TempFolder folder;
    platform::SystemFileSystem files;
    const std::string path = folder / "readme.txt";
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"untouched", [] {}},
        {"rewritten", [&] { WriteFile(path, "other bytes, another size"); }},
        {"same size and time, other bytes",
         [&] {
             const auto time = fs::last_write_time(path);
             WriteFile(path, "the placed byteZ");
             fs::last_write_time(path, time);
         }},
        {"touched",
         [&] { fs::last_write_time(path, fs::last_write_time(path) + std::chrono::hours(1)); }},
        {"replaced by a folder",
         [&] {
             RemoveTree(path);
             MakeFolders(path);
         }},
        {"removed", [&] { RemoveTree(path); }},
    };
    const record::FileState expected[] = {record::FileState::AsPlaced, record::FileState::Changed,
                                          record::FileState::Changed,  record::FileState::Changed,
                                          record::FileState::Changed,  record::FileState::Gone};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RemoveTree(path);
        WriteFile(path, "the placed bytes");
        const record::PlacedFile placed = record::Identify(files, path);
        EXPECT_EQ(placed.hash, record::ContentHash("the placed bytes"));
        cases[i].second();
        EXPECT_EQ(record::StateOf(files, placed), expected[i]) << cases[i].first;
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
