#pragma once

#include <string>
#include <string_view>

#include "platform/layout.h"
#include "platform/services.h"

namespace launcher {

// The launcher window's logic: its load handler does all the launcher's work.
class Form1 {
public:
    Form1(platform::Services& services, platform::Layout layout);

    void Form_Load();

    // The user's own application folder when it holds a hand-over file, else the one for everyone.
    std::string ApplicationFolderToFollow() const;
    void RefuseInterruptedInstall(const std::string& applicationFolder,
                                  const std::string& installFolder) const;

private:
    platform::Services& services_;
    platform::Layout layout_;
};

// What the launcher starts from the recorded folder.
inline constexpr const char* kApplicationProgram = "Velmora_KZ.exe";

// The bare window: its caption and its client size in twips.
inline constexpr std::string_view kWindowCaption = "Form1";
inline constexpr int kClientWidth = 4680;
inline constexpr int kClientHeight = 3090;
// What a screen reader says after the caption: the window has nothing in it to read.
inline constexpr std::string_view kWindowAccessibleDescription =
    "Velmora_KZ 2.0.1 launcher. The application has been started; closing this window ends the "
    "launcher only.";

}  // namespace launcher
