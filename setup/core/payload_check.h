#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/content_hash.h"
#include "platform/file_system.h"
#include "platform/layout.h"
#include "setup/core/transaction.h"

namespace setup {

// The list the medium carries beside Setup of its installation files, each with its size and
// XXH3-128, written when the medium is laid out:
//   Velmora_KZ 2.0.1 installation files 1
//   file <size> <XXH3-128 in 32 hex digits> <name on the medium, "/" between folders>
inline constexpr const char* kPayloadListFile = "Installation.files";

// Each file Setup copies from the medium is checked against the list in the read that copies it,
// and every file the list names is checked before the install is made whole, so that a damaged
// medium fails while everything can still be taken back. Without a list nothing is checked.
class PayloadCheck {
public:
    // A list that cannot be read as one is damage too.
    void Load(platform::FileSystem& files, const platform::Layout& layout,
              const std::string& medium);
    bool Listed() const { return listed_.has_value(); }

    // What a copy of the medium's name checks. Raises StepFailure naming the file.
    CopyCheck For(const std::string& name);
    void Check(const std::string& name, const platform::FileContents& copied);
    // Reads each listed file no copy has checked: one that is missing is damage.
    void CheckTheRest(platform::FileSystem& files);

private:
    std::string PathOf(const std::string& name) const;

    std::string medium_;
    const platform::Layout* layout_ = nullptr;
    std::optional<std::map<std::string, platform::FileContents>> listed_;
    std::set<std::string> checked_;
};

}  // namespace setup
