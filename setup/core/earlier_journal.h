#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/layout.h"
#include "platform/services.h"
#include "setup/core/recovery.h"

namespace setup {

// Raises, and nothing is done, unless every place of places lies where the install into
// destination may change things.
using ConfinementCheck =
    std::function<void(const std::string& destination, const std::vector<std::string>& places)>;

// The journal an earlier build of this Setup kept: *D*, the earlier hand-over file's bytes, and
// each new file's temporary, destination and the reserved name its earlier file moved to. A crash
// of that build is recovered as that build recovered it, once confine has passed every place it
// names; nothing when the bytes are not such a journal.
std::optional<Recovery> RecoverEarlierJournal(platform::Services& services,
                                              const platform::Layout& layout, std::string_view text,
                                              const ConfinementCheck& confine);

}  // namespace setup
