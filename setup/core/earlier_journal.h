#pragma once

#include <optional>
#include <string_view>

#include "platform/layout.h"
#include "platform/services.h"
#include "setup/core/recovery.h"

namespace setup {

// The journal an earlier build of this Setup kept: *D*, the earlier hand-over file's bytes, and
// each new file's temporary, destination and the reserved name its earlier file moved to. A crash
// of that build is recovered as that build recovered it; nothing when the bytes are not such a
// journal.
std::optional<Recovery> RecoverEarlierJournal(platform::Services& services,
                                              const platform::Layout& layout,
                                              std::string_view text);

}  // namespace setup
