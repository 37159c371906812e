#pragma once

#include <array>
#include <string_view>

#include "setup/core/form1.h"

// Which of Form1's handlers each control's event runs, as data: every window adapter binds its
// controls from it. Controls not listed have no handler.
namespace setup {

using Form1Handler = void (Form1::*)();

struct HandlerBinding {
    std::string_view control;
    Form1Handler handler;
    // The install runs to its end without going back to the event loop: the window shows itself
    // busy meanwhile.
    bool runsLong = false;
};

inline constexpr std::array<HandlerBinding, 8> kHandlers{{
    {"Check1", &Form1::Check1_Click},
    {"Check2", &Form1::Check2_Click},
    {"Check3", &Form1::Check3_Click},
    {"Text1", &Form1::Text1_Change},
    {"Drive1", &Form1::Drive1_Change},
    {"Dir1", &Form1::Dir1_Change},
    {"Command1", &Form1::Command1_Click, true},
    {"Command2", &Form1::Command2_Click},
}};

// The binding of a control's event; null for a control that has none.
constexpr const HandlerBinding* BindingOf(std::string_view control) {
    for (const auto& binding : kHandlers) {
        if (binding.control == control) {
            return &binding;
        }
    }
    return nullptr;
}

}  // namespace setup
