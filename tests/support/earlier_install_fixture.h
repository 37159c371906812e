#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/file_system.h"
#include "record/file_identity.h"
#include "record/install_record.h"
#include "setup/core/installation_files.h"
#include "tests/support/installer_fixture.h"
#include "tests/support/program_harness.h"

namespace testing_support {

// Every file under folder with its bytes; empty when there is no folder.
inline std::map<std::string, std::string> TreeOf(const std::string& folder) {
    std::map<std::string, std::string> tree;
    if (!std::filesystem::exists(folder)) {
        return tree;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        tree[entry.path().string()] =
            entry.is_directory() ? "<folder>" : ReadFile(entry.path().string());
    }
    return tree;
}

// An install into D over an earlier installation there, while the hand-over file still names
// another, working installation. Whatever fails, D and the hand-over file must be as before.
class EarlierInstallTest : public InstallerTest {
public:
    EarlierInstallTest() {
        for (const auto& place : {DesktopFolder(), StartMenuFolder(), ProgramsFolder()}) {
            MakeFolders(place);
        }
        LayOutEarlierInstall(destination);
        LayOutEarlierInstall(earlier);
        MakeFolders(layout.applicationFolder);
        WriteFile(layout.HandoverFile(), earlierRecord);
        // The earlier install's record: its files are the install's, not the user's, to replace.
        record::InstallRecord recorded{layout.scope, {destination, earlier}, {}, {}};
        platform::SystemFileSystem files;
        for (const auto& folder : {destination, earlier}) {
            for (const auto name : setup::kInstallationFiles) {
                recorded.files.push_back(
                    record::Identify(files, Joined(folder, std::string(name))));
            }
        }
        record::Write(files, layout.RecordFile(), recorded);
        controls.Type(destination);
    }

    void LayOutEarlierInstall(const std::string& folder) const {
        MakeFolders(folder);
        for (const auto name : setup::kInstallationFiles) {
            // As loose as a user may have left them: the new files must not keep that mode.
            WriteFile(Joined(folder, std::string(name)), "earlier " + std::string(name), 0666);
        }
        WriteFile(Joined(folder, "notes.txt"), "the user's own notes");
    }

    using InstallerTest::layout;
    using InstallerTest::LogPath;
    using InstallerTest::services;

    // The next "Begin Install" over the journal left there, which must refuse it: nothing in the
    // test folder changes but the log. The box it showed.
    std::string RefusedRecoveryBox() {
        const auto before = TreeButTheLog();
        UseLayout(layout);
        Start();
        EXPECT_EQ(EndStatusOf([this] { form->Command1_Click(); }), platform::ExitStatus::Failure);
        EXPECT_EQ(TreeButTheLog(), before);
        return services.Messages().empty() ? std::string() : services.Messages().back().text;
    }

    std::map<std::string, std::string> TreeButTheLog() const {
        auto tree = TreeOf(root.Path());
        tree.erase(LogPath());
        return tree;
    }

    std::string Source() const { return Joined(working, setup::kLauncherFile); }
    std::string DesktopTarget() const { return Joined(DesktopFolder(), setup::kLauncherFile); }

    const std::string destination = root / "apps";
    const std::string earlier = root / "earlier";
    const std::string earlierRecord = earlier + "\r\n";
};

}  // namespace testing_support
