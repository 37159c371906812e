#include "setup/core/setup_command_line.h"

#include "setup/core/form1.h"
#include "setup/core/windowless_controls.h"
#include "unattended/logged_boxes.h"
#include "unattended/program_start.h"

namespace setup {

int RunWithArguments(platform::Services& services, const std::vector<std::string>& arguments,
                     const platform::Layout& layout,
                     const std::function<int(const unattended::Options&)>& window) {
    const unattended::Options options =
        unattended::ReadOrEnd(unattended::Program::Setup, arguments, services);
    unattended::RequireScope(options, layout.scope, services);
    if (options.silent) {
        InstallWithoutWindow(services, layout, options);
    }
    return window(options);
}

void InstallWithoutWindow(platform::Services& services, const platform::Layout& layout,
                          const unattended::Options& options) {
    WindowlessControls controls;
    const Form1* logger = nullptr;
    unattended::LoggedBoxes quiet(services, unattended::Boxes::Silent,
                                  [&logger](const std::string& line) {
                                      if (logger != nullptr) {
                                          logger->Log().Append(line);
                                      }
                                  });
    Form1 form(controls, quiet, layout, options);
    controls.Attach(form);
    controls.SetLaidOutText(layout.applicationFolder);
    logger = &form;
    platform::RunHandler(quiet, [&form] {
        form.Form_Load();
        form.Command1_Click();
    });
    // "Begin Install" always ends the program.
    quiet.EndProgram(platform::ExitStatus::Failure);
}

}  // namespace setup
