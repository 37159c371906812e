#include "tests/support/installer_fixture.h"

#include <unistd.h>

#include "setup/installation_files.h"

namespace testing_support {

InstallerTest::InstallerTest()
    : layout(platform::LayoutRootedIn(root.Path())), working(root / "medium") {
    MakeFolders(working);
    LayOutMedium(working);
    MakeFolders(layout.profileRoot);
    MakeFolders(root / "opt");
    harness.ProvideJava(root);
    if (::chdir(working.c_str()) != 0) {
        throw std::runtime_error("cannot enter the working folder");
    }
    form = std::make_unique<setup::Form1>(controls, layout);
    controls.Attach(*form);
    controls.SetLaidOutText(layout.applicationFolder);
}

void InstallerTest::LayOutMedium(const std::string& folder) const {
    for (const auto name : setup::kInstallationFiles) {
        const bool program = name.ends_with(".exe");
        WriteFile(folder + "/" + std::string(name), BytesOf(name), program ? 0755 : 0644);
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

std::string InstallerTest::UserName() const {
    return setup::Form1::GetCurrentUserName();
}

}  // namespace testing_support
