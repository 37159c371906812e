#pragma once

#include <string>

#include "platform/layout.h"

namespace launcher {

// The launcher window's logic: its load handler does all the launcher's work.
class Form1 {
public:
    explicit Form1(platform::Layout layout);

    void Form_Load();

private:
    std::string ApplicationFolderToFollow() const;

    platform::Layout layout_;
};

// What the launcher starts from the recorded folder.
inline constexpr const char* kApplicationProgram = "Velmora_KZ.exe";

}  // namespace launcher
