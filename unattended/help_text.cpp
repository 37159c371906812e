#include "unattended/help_text.h"

#include "unattended/exit_codes.h"

namespace unattended {

namespace {

constexpr const char* kLineEnd = "\r\n";

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width) {
        text.append(width - text.size(), ' ');
    }
    return text;
}

}  // namespace

std::string HelpText(Program program, platform::System system) {
    const bool setup = program == Program::Setup;
    std::string text = std::string("Usage: ") + (setup ? "Setup.exe" : "Uninstall.exe") +
                       " [option]..." + kLineEnd + kLineEnd;
    text += setup ? "Installs Velmora_KZ 2.0.1. Without options Setup shows its window."
                  : "Removes Velmora_KZ 2.0.1 as its install record says. Without options "
                    "Uninstall asks once, then reports in a box.";
    text += kLineEnd;
    text +=
        "Each option is also taken as the other system spells it; on Windows in any "
        "letter case.";
    text += kLineEnd;
    text += kLineEnd;
    for (const OptionHelp& option : OptionsOf(program, system)) {
        text += "  " + Padded(option.spelling, 18) + " (" + option.otherSpelling + ")" + kLineEnd;
        text += "      " + std::string(option.text) + kLineEnd;
    }
    text += kLineEnd;
    text += "Exit codes:";
    text += kLineEnd;
    for (const ExitCode& code : ExitCodeTable()) {
        if (setup ? code.setup : code.uninstall) {
            const int number =
                system == platform::System::Windows ? code.windowsCode : code.linuxCode;
            text += "  " + Padded(std::to_string(number), 7) + std::string(code.meaning) + kLineEnd;
        }
    }
    text += std::string("Started without options, ") +
            (setup ? "Setup ends with 0 after \"Finished\" and \"Cancel Install\" and 1 after any "
                     "other end."
                   : "Uninstall ends with 0 when all was removed or kept for a reason it gives, "
                     "else 1.") +
            kLineEnd;
    return text;
}

}  // namespace unattended
