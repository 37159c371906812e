#include "setup/core/desktop_entry.h"

#include "setup/core/menu_icon.h"

namespace setup {

namespace {

// Exec quoting: the program path is one argument in double quotes, with the characters that
// stay special inside them escaped, and '%' doubled so it is not read as a field code.
std::string QuotedForExec(const std::string& path) {
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        if (c == '%') {
            quoted += '%';
        }
        quoted += c;
    }
    return quoted + "\"";
}

// Desktop Entry string values escape the backslash once more, and may not hold line ends.
std::string EscapedValue(const std::string& value) {
    std::string escaped;
    for (const char c : value) {
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

}  // namespace

std::string DesktopEntryFor(const std::string& programPath) {
    return DesktopEntryFor(programPath, "Velmora_KZ 2.0.1", "Start Velmora_KZ 2.0.1");
}

std::string DesktopEntryFor(const std::string& programPath, const std::string& name,
                            const std::string& comment) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.0\n"
           "Name=" +
           EscapedValue(name) +
           "\n"
           "Comment=" +
           EscapedValue(comment) +
           "\n"
           "Exec=" +
           EscapedValue(QuotedForExec(programPath)) +
           "\n"
           "Icon=" +
           std::string(kMenuIconName) +
           "\n"
           "Terminal=false\n"
           "Categories=Utility;\n";
}

}  // namespace setup
