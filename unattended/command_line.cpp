#include "unattended/command_line.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace unattended {

namespace {

struct Switch {
    std::string_view name;       // its words joined by hyphens, as Linux spells it
    std::string_view value;      // the value's name; "" for a switch
    bool takesEmpty;             // an empty value is a value (the destination box may be empty too)
    std::string_view setupText;  // "" where Setup has no such option
    std::string_view uninstallText;  // "" where Uninstall has none
    void (*apply)(Options&, const std::string&);
};

constexpr Switch kSwitches[] = {
    {"silent", "", false,
     "No window and no box. What a box would say goes to the log and to the standard error.",
     "No question and no box: the removal goes ahead. The report goes to the log and to the "
     "standard error.",
     [](Options& options, const std::string&) { options.silent = true; }},
    {"dir", "FOLDER", true,
     "Install into FOLDER, checked as the destination box's text is (default: the application "
     "folder).",
     "", [](Options& options, const std::string& value) { options.destination = value; }},
    {"no-desktop-icon", "", false, "No launcher copy on the desktop.", "",
     [](Options& options, const std::string&) { options.desktopIcon = false; }},
    {"no-start-menu", "", false, "No launcher copy in the Start menu (its menu entry on Linux).",
     "", [](Options& options, const std::string&) { options.startMenu = false; }},
    {"no-programs-menu", "", false,
     "No launcher copy in the Programs menu (on Linux the command in ~/.local/bin or "
     "/usr/local/bin).",
     "", [](Options& options, const std::string&) { options.programsMenu = false; }},
    {"log", "FILE", false,
     "Write the log to FILE instead of Install.log beside Setup; a FILE that cannot be written "
     "ends Setup before anything is changed.",
     "Write the log to FILE; without it a silent removal writes Uninstall.log in the user's "
     "temporary folder (Windows) or $XDG_STATE_HOME/Velmora_KZ (Linux). A FILE that cannot be "
     "written ends Uninstall before anything is removed.",
     [](Options& options, const std::string& value) { options.log = value; }},
    {"also-log", "FILE", false, "Write the log to FILE as well as beside Setup.", "",
     [](Options& options, const std::string& value) { options.alsoLog = value; }},
    {"all-users", "", false,
     "Install for every user. Only an administrator (on Linux root) installs so.", "",
     [](Options& options, const std::string&) { options.scope = platform::Scope::Everyone; }},
    {"current-user", "", false,
     "Install for the user who runs Setup. An administrator (on Linux root) installs for "
     "every user only.",
     "", [](Options& options, const std::string&) { options.scope = platform::Scope::ThisUser; }},
    {"help", "", false, "Show this help.", "Show this help.",
     [](Options& options, const std::string&) { options.help = true; }},
};

bool IsFor(const Switch& known, Program program) {
    return !(program == Program::Setup ? known.setupText : known.uninstallText).empty();
}

// Windows takes its switches in any letter case; hyphens between the words may be left out.
std::string Loose(std::string_view name) {
    std::string loose;
    for (const char c : name) {
        if (c != '-') {
            loose += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return loose;
}

std::string SpelledName(const Switch& known, platform::System system) {
    if (known.name == "help" && system == platform::System::Windows) {
        return "/?";
    }
    return system == platform::System::Windows ? "/" + Loose(known.name)
                                               : "--" + std::string(known.name);
}

std::string Spelled(const Switch& known, platform::System system) {
    std::string spelled = SpelledName(known, system);
    if (!known.value.empty()) {
        spelled += "=" + std::string(known.value);
    }
    return spelled;
}

// One argument taken apart: which option it names and the value given with it.
struct Taken {
    const Switch* known = nullptr;
    std::optional<std::string> value;
    bool linuxForm = false;
};

Taken Take(const std::string& argument, Program program) {
    Taken taken;
    std::string_view body;
    if (argument.starts_with("--")) {
        body = std::string_view(argument).substr(2);
        taken.linuxForm = true;
    } else if (argument.starts_with("/")) {
        body = std::string_view(argument).substr(1);
    } else {
        return taken;
    }
    const auto equals = body.find('=');
    const std::string_view name = body.substr(0, equals);
    if (equals != std::string_view::npos) {
        taken.value = std::string(body.substr(equals + 1));
    }
    for (const Switch& known : kSwitches) {
        const bool same = taken.linuxForm ? name == known.name
                                          : Loose(name) == Loose(known.name) ||
                                                (name == "?" && known.name == "help");
        if (same && IsFor(known, program)) {
            taken.known = &known;
        }
    }
    return taken;
}

}  // namespace

CommandLine ReadCommandLine(Program program, const std::vector<std::string>& arguments) {
    CommandLine read;
    std::array<bool, std::size(kSwitches)> seen{};
    const auto fail = [&read](std::string error) {
        if (read.error.empty()) {
            read.error = std::move(error);
        }
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        Taken taken = Take(argument, program);
        if (taken.known == nullptr) {
            fail("unknown option " + argument);
            continue;
        }
        const Switch& known = *taken.known;
        if (known.value.empty() && taken.value) {
            fail(argument + ": the option takes no value");
            continue;
        }
        if (!known.value.empty() && !taken.value && taken.linuxForm && i + 1 < arguments.size()) {
            taken.value = arguments[++i];
        }
        if (!known.value.empty() && (!taken.value || (taken.value->empty() && !known.takesEmpty))) {
            fail(argument + ": the option needs a value, as in " +
                 Spelled(known,
                         taken.linuxForm ? platform::System::Linux : platform::System::Windows));
            continue;
        }
        auto& once = seen[static_cast<std::size_t>(&known - kSwitches)];
        if (once) {
            fail(argument + ": the option is given more than once");
            continue;
        }
        once = true;
        const auto earlierScope = read.options.scope;
        known.apply(read.options, taken.value.value_or(""));
        if (earlierScope && read.options.scope != earlierScope) {
            fail(argument +
                 ": the install can be for every user or for the current user, not both");
        }
    }
    return read;
}

std::vector<OptionHelp> OptionsOf(Program program, platform::System system) {
    const platform::System other =
        system == platform::System::Windows ? platform::System::Linux : platform::System::Windows;
    std::vector<OptionHelp> options;
    for (const Switch& known : kSwitches) {
        if (IsFor(known, program)) {
            options.push_back({Spelled(known, system), Spelled(known, other),
                               program == Program::Setup ? known.setupText : known.uninstallText});
        }
    }
    return options;
}

}  // namespace unattended
