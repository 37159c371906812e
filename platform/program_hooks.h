#pragma once

#include <string>

// What each system's user_*.cpp supplies to the hooks every program goes through.
namespace platform::detail {

// The message box shown until a program installs its own handler.
void SystemMessageBox(const std::string& text, const std::string& title);

}  // namespace platform::detail
