#include "platform/posix/layout.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <sstream>

#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/support.h"

namespace platform {

namespace {

constexpr const char* kApplicationFolderName = "/Velmora_KZ";
constexpr const char* kSharedApplicationFolder = "/opt/Velmora_KZ";
constexpr std::size_t kUserDirsLimit = std::size_t{64} * 1024;
constexpr std::string_view kHomeVariable = "$HOME";
constexpr const char* kStateFolder = "/.local/state/Velmora_KZ";

// From the password database, not the environment: what a program started with another HOME
// finds must still be the user's own home folder.
std::optional<std::string> HomeOfRunningUser() {
    detail::UserEntry entry;
    if (detail::EntryOfRunningUser(entry) != 0 || !entry.home.starts_with('/')) {
        return std::nullopt;
    }
    return entry.home;
}

std::string UserDirsOf(const std::string& home) {
    try {
        return ReadPrefix(home + "/.config/user-dirs.dirs", kUserDirsLimit);
    } catch (const RuntimeError&) {
        return {};
    }
}

// The quoted value after `XDG_DESKTOP_DIR=`, unescaped; nothing if the line is another one.
std::optional<std::string> DesktopEntryValue(std::string_view line) {
    constexpr std::string_view kKey = "XDG_DESKTOP_DIR";
    const auto start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos || line.substr(start, kKey.size()) != kKey) {
        return std::nullopt;
    }
    line.remove_prefix(start + kKey.size());
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (!line.starts_with('=')) {
        return std::nullopt;
    }
    line.remove_prefix(1);
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (!line.starts_with('"')) {
        return std::nullopt;
    }
    std::string value;
    for (std::size_t i = 1; i < line.size(); ++i) {
        if (line[i] == '"') {
            return value;
        }
        if (line[i] == '\\' && i + 1 < line.size()) {
            ++i;
        }
        value += line[i];
    }
    return std::nullopt;  // no closing quote
}

}  // namespace

std::string DesktopFolderFrom(std::string_view userDirs, const std::string& home) {
    std::string desktop = home + "/Desktop";
    std::istringstream lines{std::string(userDirs)};
    // Like the shell that reads the file, the last assignment counts.
    for (std::string line; std::getline(lines, line);) {
        const auto value = DesktopEntryValue(line);
        if (!value) {
            continue;
        }
        const bool fromHome = value->starts_with(kHomeVariable);
        const std::string afterHome = fromHome ? value->substr(kHomeVariable.size()) : "";
        if (fromHome && (afterHome.empty() || afterHome.starts_with('/'))) {
            desktop = home + afterHome;
        } else if (value->starts_with('/')) {
            desktop = *value;
        } else {
            desktop = home + "/Desktop";
        }
    }
    while (desktop.size() > 1 && desktop.ends_with('/')) {
        desktop.pop_back();
    }
    return desktop;
}

Layout LayoutForEveryone(const std::string& root) {
    return Layout{
        .separator = "/",
        .applicationFolder = root + kSharedApplicationFolder,
        .handoverFileName = "Start_up.txt",
        .recordFileName = "Install.record",
        .sharedApplicationFolder = root + kSharedApplicationFolder,
        .profileRoot = "",
        .userPlaces = {},
        .sharedPlaces = {.profile = "",
                         .desktop = root + "/etc/skel/Desktop",
                         .startMenu = root + "/usr/local/share/applications",
                         .programs = root + "/usr/local/bin",
                         .iconTheme = root + "/usr/local/share/icons/hicolor"},
        .startMenuNeedsDesktopEntry = true,
        .createsMissingTargetFolders = true,
        .scope = Scope::Everyone,
        .registersUninstaller = false,
        .programsMenuNeedsShortcut = false,
        .logFallbackFolder = root + "/root" + kStateFolder,
    };
}

Layout LayoutForUser(const std::string& home, const std::string& root) {
    Layout layout = LayoutForEveryone(root);
    layout.scope = Scope::ThisUser;
    layout.applicationFolder = home + kApplicationFolderName;
    layout.userPlaces = {.profile = home,
                         .desktop = DesktopFolderFrom(UserDirsOf(home), home),
                         .startMenu = home + "/.local/share/applications",
                         .programs = home + "/.local/bin",
                         .iconTheme = home + "/.local/share/icons/hicolor"};
    layout.logFallbackFolder = home + kStateFolder;
    return layout;
}

// The user's state folder, as the XDG base directories name it: $XDG_STATE_HOME when it is a full
// path, else ~/.local/state.
std::string LogFallbackFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') {
        return std::string(state) + "/Velmora_KZ";
    }
    const auto home = HomeOfRunningUser();
    return home ? *home + kStateFolder : std::string();
}

// Without a home folder of its own a user can only take the shared places, as root does.
Layout NativeLayout() {
    const auto home = ::geteuid() == 0 ? std::nullopt : HomeOfRunningUser();
    Layout layout = home ? LayoutForUser(*home) : LayoutForEveryone();
    layout.logFallbackFolder = LogFallbackFolder();
    return layout;
}

Layout LayoutRootedIn(const std::string& root) {
    return LayoutForUser(root + "/home/user", root);
}

}  // namespace platform
