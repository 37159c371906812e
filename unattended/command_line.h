#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/layout.h"
#include "platform/platform.h"

// The command line of Setup and Uninstall, the same on both systems: each option is taken in
// Windows' spelling (/silent, /dir=D, any letter case, hyphens left out or not) and in Linux'
// (--silent, --dir=D or --dir D).
namespace unattended {

enum class Program { Setup, Uninstall };

// What the command line asks for. Without arguments, the defaults: the program as it always was.
struct Options {
    bool silent = false;
    bool help = false;
    std::optional<std::string> destination;  // the destination box's text
    bool desktopIcon = true;
    bool startMenu = true;
    bool programsMenu = true;
    std::optional<std::string> log;      // the log's place instead of its usual one
    std::optional<std::string> alsoLog;  // a place for the log besides its usual one
    std::optional<platform::Scope> scope;
};

struct CommandLine {
    Options options;    // as far as it could be read: silent is known also beside a bad option
    std::string error;  // what is wrong with the command line; "" when nothing
};

CommandLine ReadCommandLine(Program program, const std::vector<std::string>& arguments);

// One option, as help shows it.
struct OptionHelp {
    std::string spelling;  // "/dir=FOLDER" or "--dir=FOLDER"
    std::string otherSpelling;
    std::string_view text;
};
std::vector<OptionHelp> OptionsOf(Program program, platform::System system);

}  // namespace unattended
