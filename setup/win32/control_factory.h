#pragma once

#include <cstddef>
#include <string>

#include "platform/windows/windows_api.h"
#include "setup/core/control_table.h"

namespace setup {

// Control identifiers: each control's row in the control table, from 100 on, so that none is
// IDOK or IDCANCEL, which Enter and Escape send.
inline constexpr int kFirstControlId = 100;
constexpr int ControlId(std::size_t row) {
    return kFirstControlId + static_cast<int>(row);
}

// The native control of that row of the control table on window, of its class and style, with
// its caption; the destination box starts with destination. Its place, font and picture come
// from a ControlPlacement.
HWND CreateControl(HWND window, std::size_t row, const std::string& destination);

}  // namespace setup
