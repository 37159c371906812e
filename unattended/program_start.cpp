#include "unattended/program_start.h"

#include "platform/platform.h"
#include "unattended/help_text.h"

namespace unattended {

namespace {

void Tell(platform::Services& services, Program program, bool silent, platform::Console stream,
          const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        services.WriteToConsole(stream, text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 2;
    }
    if (!silent && platform::ThisSystem() == platform::System::Windows) {
        services.ShowMessage(text, TitleOf(program));
    }
}

std::string ProgramFile(Program program) {
    return program == Program::Setup ? "Setup.exe" : "Uninstall.exe";
}

}  // namespace

std::string TitleOf(Program program) {
    return program == Program::Setup ? "Velmora_KZ 2.0.1 Setup" : "Uninstall Velmora_KZ 2.0.1";
}

Options ReadOrEnd(Program program, const std::vector<std::string>& arguments,
                  platform::Services& services) {
    const CommandLine read = ReadCommandLine(program, arguments);
    const bool silent = read.options.silent;
    if (!read.error.empty()) {
        const bool windows = platform::ThisSystem() == platform::System::Windows;
        Tell(services, program, silent, platform::Console::Error,
             ProgramFile(program) + ": " + read.error + ". Nothing was done. " +
                 (windows ? "\"" + ProgramFile(program) + " /?\""
                          : ProgramFile(program) + " --help") +
                 " lists the options.");
        services.EndProgram(platform::ExitStatus::BadCommandLine);
    }
    if (read.options.help) {
        Tell(services, program, silent, platform::Console::Output,
             HelpText(program, platform::ThisSystem()));
        services.EndProgram(platform::ExitStatus::Success);
    }
    return read.options;
}

void RequireScope(const Options& options, platform::Scope running, platform::Services& services) {
    if (!options.scope || *options.scope == running) {
        return;
    }
    const std::string why =
        *options.scope == platform::Scope::Everyone
            ? "Installing Velmora_KZ 2.0.1 for every user needs an administrator (on Linux "
              "root): run Setup as one, or without the option for every user."
            : "Setup run by an administrator (on Linux root) installs Velmora_KZ 2.0.1 for every "
              "user: to install it for one user, run Setup as that user.";
    Tell(services, Program::Setup, options.silent, platform::Console::Error,
         why + " Nothing was done.");
    services.EndProgram(platform::ExitStatus::ImpossibleScope);
}

}  // namespace unattended
