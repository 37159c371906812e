// Built into the tests of both systems: paths are joined with the system's own separator.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "setup/core/folder_browser.h"
#include "tests/support/program_harness.h"
#include "tests/support/temp_folder.h"

using ::testing::ElementsAre;
using namespace testing_support;
using setup::FolderBrowser;

namespace {

const std::string S(1, kSeparator);

// A folder "medium" holding three subfolders and a file.
class FolderBrowserTest : public ::testing::Test {
protected:
    FolderBrowserTest() : medium(root / "medium") {
        for (const char* name : {"beta", "Alpha", "Gamma one"}) {
            MakeFolders(In(name));
        }
        WriteFile(In("file.txt"), "not a folder");
    }

    std::string In(const std::string& name) const { return medium + S + name; }

    TempFolder root;
    std::string medium;
};

std::string Indent(std::size_t level) {
    return std::string(2 * level, ' ');
}

TEST_F(FolderBrowserTest, ListsTheParentsFromTheRootThenTheSubfoldersIgnoringCase) {
    const FolderBrowser browser(medium);
    const auto& lines = browser.Lines();
    const std::size_t depth = browser.CurrentLine();
    ASSERT_EQ(lines.size(), depth + 4) << "the current folder, then its three subfolders";

    std::vector<std::string> tail;
    for (std::size_t line = depth - 1; line < lines.size(); ++line) {
        tail.push_back(lines[line].text + "=" + lines[line].folder);
    }
    const std::string rootName = root.Path().substr(root.Path().rfind(kSeparator) + 1);
    EXPECT_THAT(tail, ElementsAre(Indent(depth - 1) + rootName + "=" + root.Path(),
                                  Indent(depth) + "medium=" + medium,
                                  Indent(depth + 1) + "Alpha=" + In("Alpha"),
                                  Indent(depth + 1) + "beta=" + In("beta"),
                                  Indent(depth + 1) + "Gamma one=" + In("Gamma one")));

    EXPECT_EQ(lines.front().text, lines.front().folder) << "the root shows whole";
    EXPECT_TRUE(platform::IsPathSeparator(lines.front().folder.back())) << lines.front().folder;
    for (std::size_t line = 0; line <= depth; ++line) {
        EXPECT_EQ(medium.rfind(lines[line].folder, 0), 0u) << "a parent: " << lines[line].folder;
        EXPECT_EQ(lines[line].text.find_first_not_of(' '), 2 * line) << lines[line].text;
    }
}

TEST_F(FolderBrowserTest, OpeningALineOrAPathGivesTheFullPathAndWhetherItChanged) {
    struct Opening {
        const char* what;
        std::function<bool(FolderBrowser&)> open;
        std::string path;
        bool changed;
    };
    const Opening openings[] = {
        {"a subfolder's line", [](auto& b) { return b.OpenLine(b.CurrentLine() + 1); }, In("Alpha"),
         true},
        {"the current folder's line", [](auto& b) { return b.OpenLine(b.CurrentLine()); }, medium,
         false},
        {"the parent's line", [](auto& b) { return b.OpenLine(b.CurrentLine() - 1); }, root.Path(),
         true},
        {"no line", [](auto& b) { return b.OpenLine(b.Lines().size()); }, medium, false},
        {"a subfolder's path", [this](auto& b) { return b.Open(In("Gamma one")); }, In("Gamma one"),
         true},
        {"the path with a separator at the end", [this](auto& b) { return b.Open(medium + S); },
         medium, false},
        {"a path into a subfolder and back",
         [this](auto& b) { return b.Open(In("beta") + S + ".."); }, medium, false},
    };
    for (const auto& opening : openings) {
        SCOPED_TRACE(opening.what);
        FolderBrowser browser(medium);
        EXPECT_EQ(opening.open(browser), opening.changed);
        EXPECT_EQ(browser.Path(), opening.path);
        EXPECT_EQ(browser.Lines().at(browser.CurrentLine()).folder, opening.path)
            << "the lines are those of the new path";
    }
}

TEST_F(FolderBrowserTest, WhatNamesNoFolderIsPathNotFoundAndMovesNothing) {
    FolderBrowser browser(medium);
    const std::size_t lines = browser.Lines().size();
    for (const std::string& path : {In("missing"), In("file.txt"), std::string()}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(ErrorNumberOf([&] { browser.Open(path); }), platform::error::kPathNotFound);
        EXPECT_EQ(browser.Path(), medium);
        EXPECT_EQ(browser.Lines().size(), lines);
    }
}

TEST_F(FolderBrowserTest, ADriveOpensItsCurrentFolderAndAnythingElseIsAPath) {
    const FolderAndPathGuard guard;
    platform::ChangeFolder(medium);  // on Windows, the current folder of medium's drive only
    const std::string current = platform::CurrentFolder();
    const std::vector<std::string> drives = platform::Drives();
    const auto holding = setup::DriveHolding(drives, medium);
    ASSERT_TRUE(holding.has_value());

    FolderBrowser browser(In("beta"));
    EXPECT_TRUE(browser.Assign(drives[*holding]));
    EXPECT_EQ(browser.Path(), medium);
    EXPECT_FALSE(browser.Assign(drives[*holding])) << "already there";
    EXPECT_TRUE(browser.Assign(In("Alpha")));
    EXPECT_EQ(browser.Path(), In("Alpha"));
    EXPECT_EQ(platform::CurrentFolder(), current) << "the list only browses";
}

TEST(FoldersDownTo, StartAtTheRootOfADriveAShareOrTheSystem) {
    const std::pair<std::string, std::vector<std::string>> paths[] = {
        {"C:" + S + "Data" + S + "Old",
         {"C:" + S, "C:" + S + "Data", "C:" + S + "Data" + S + "Old"}},
        {"C:" + S, {"C:" + S}},
        {S + S + "host" + S + "share" + S + "x",
         {S + S + "host" + S + "share" + S, S + S + "host" + S + "share" + S + "x"}},
        {S + S + "host" + S + "share", {S + S + "host" + S + "share"}},
        {S + "srv" + S + "data", {S, S + "srv", S + "srv" + S + "data"}},
        {S, {S}},
    };
    for (const auto& [path, chain] : paths) {
        EXPECT_EQ(setup::FoldersDownTo(path), chain) << path;
    }
}

TEST(DriveHolding, IsTheInnermostDriveWholePiecesMatch) {
    const std::vector<std::string> volumes{S, S + "home", S + "home" + S + "user" + S + "media"};
    const std::vector<std::string> letters{"C:", "D:"};
    const std::optional<std::size_t> ignoringCase =
        platform::PathsIgnoreCase() ? std::optional<std::size_t>(1) : std::nullopt;
    const struct {
        const std::vector<std::string>& drives;
        std::string folder;
        std::optional<std::size_t> drive;
    } cases[] = {
        {volumes, S + "home" + S + "user", 1},
        {volumes, S + "home", 1},
        {volumes, S + "homework", 0},
        {volumes, S + "home" + S + "user" + S + "media" + S + "x", 2},
        {letters, "D:" + S + "x", 1},
        {letters, "D:", 1},
        {letters, "E:" + S + "x", std::nullopt},
        {letters, "d:" + S + "x", ignoringCase},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(setup::DriveHolding(row.drives, row.folder), row.drive) << row.folder;
    }
}

}  // namespace
