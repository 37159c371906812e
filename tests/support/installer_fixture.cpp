#include "tests/support/installer_fixture.h"

#include <filesystem>

#include "setup/core/installation_files.h"
#include "setup/core/queries.h"

namespace testing_support {

InstallerTest::InstallerTest() : InstallerTest(TextOf(std::filesystem::temp_directory_path())) {}

InstallerTest::InstallerTest(const std::string& base)
    : root(base),
      userName(setup::GetCurrentUserName(services)),
      layout(platform::LayoutRootedIn(root.Path())),
      working(root / "medium") {
    MakeFolders(working);
    LayOutMedium(working);
    std::filesystem::current_path(working);
    UseLayout(layout);
}

void InstallerTest::UseLayout(const platform::Layout& places) {
    layout = places;
    // The installer makes the application folder, but not the one that holds it.
    MakeFolders(std::filesystem::path(layout.applicationFolder).parent_path().string());
    form = std::make_unique<setup::Form1>(controls, services, layout);
    controls.Attach(*form);
    controls.SetLaidOutText(layout.applicationFolder);
}

void InstallerTest::LayOutMedium(const std::string& folder) const {
    for (const auto name : setup::kInstallationFiles) {
        const bool program = name.ends_with(".exe");
        WriteFile(folder + kSeparator + std::string(name), BytesOf(name), program ? 0755 : 0644);
    }
}

std::string InstallerTest::BytesOf(std::string_view name) {
    return "contents of " + std::string(name) + std::string(name.size() * 3, 'x');
}

void InstallerTest::Start() {
    form->Form_Load();
}

bool InstallerTest::BeginInstall() {
    return EndsProgram([this] { form->Command1_Click(); });
}

}  // namespace testing_support
