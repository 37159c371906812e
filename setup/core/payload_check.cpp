#include "setup/core/payload_check.h"

#include <algorithm>
#include <utility>

#include "platform/runtime_error.h"
#include "record/text_lines.h"
#include "setup/core/install_steps.h"

namespace setup {

namespace {

constexpr std::string_view kHeader = "Velmora_KZ 2.0.1 installation files 1";
// A list larger than this is not one: thousands of files' worth.
constexpr std::size_t kMaxListBytes = std::size_t{1} << 20;

[[noreturn]] void Damaged(const std::string& path, const std::string& what) {
    throw StepFailure{platform::RuntimeError(platform::error::kPathFileAccessError, path),
                      "The installation file " + path + " " + what +
                          ". The installation files are damaged: a new copy of the "
                          "installation medium is needed.",
                      platform::ExitStatus::DamagedMedium};
}

std::optional<std::map<std::string, platform::FileContents>> Parse(std::string_view text) {
    std::map<std::string, platform::FileContents> listed;
    bool first = true;
    while (!text.empty()) {
        const auto end = text.find(record::kLineEnd);
        if (end == std::string_view::npos) {
            return std::nullopt;  // cut short
        }
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + record::kLineEnd.size());
        if (std::exchange(first, false)) {
            if (line != kHeader) {
                return std::nullopt;
            }
            continue;
        }
        platform::FileContents contents;
        const bool isFile = record::Word(line) == "file";
        const bool sized = record::ParseNumber(record::Word(line), contents.size);
        const auto hash = platform::ParseContentHash(record::Word(line));
        auto name = record::Unescaped(line);
        if (!isFile || !sized || contents.size < 0 || !hash || !name || name->empty() ||
            listed.contains(*name)) {
            return std::nullopt;
        }
        contents.hash = *hash;
        listed.emplace(std::move(*name), contents);
    }
    if (first) {
        return std::nullopt;
    }
    return listed;
}

}  // namespace

void PayloadCheck::Load(platform::FileSystem& files, const platform::Layout& layout,
                        const std::string& medium) {
    medium_ = medium;
    layout_ = &layout;
    const std::string path = layout.Join(medium, kPayloadListFile);
    if (files.FactsOf(path).kind == platform::EntryKind::None) {
        return;
    }
    std::string text;
    try {
        text = files.ReadPrefix(path, kMaxListBytes + 1, platform::Links::Refuse);
    } catch (const platform::RuntimeError& error) {
        throw StepFailure{error, "Could not read the list of installation files " + path + "."};
    }
    listed_ = text.size() <= kMaxListBytes ? Parse(text) : std::nullopt;
    if (!listed_) {
        Damaged(path, "is not a list of installation files");
    }
}

std::string PayloadCheck::PathOf(const std::string& name) const {
    std::string path = layout_->Join(medium_, name);
    std::replace(path.begin() + static_cast<std::ptrdiff_t>(path.size() - name.size()), path.end(),
                 '/', layout_->separator.front());
    return path;
}

CopyCheck PayloadCheck::For(const std::string& name) {
    return [this, name](const std::string&, const platform::FileContents& copied) {
        Check(name, copied);
    };
}

void PayloadCheck::Check(const std::string& name, const platform::FileContents& copied) {
    if (!listed_) {
        return;
    }
    const auto listed = listed_->find(name);
    if (listed == listed_->end()) {
        Damaged(PathOf(name), "is not in the list of installation files");
    }
    if (copied.size > listed->second.size) {
        Damaged(PathOf(name), "is longer than the list of installation files says");
    }
    if (copied.size < listed->second.size) {
        Damaged(PathOf(name), "is shorter than the list of installation files says");
    }
    if (copied.hash != listed->second.hash) {
        Damaged(PathOf(name), "does not hold what the list of installation files says");
    }
    checked_.insert(name);
}

void PayloadCheck::CheckTheRest(platform::FileSystem& files) {
    if (!listed_) {
        return;
    }
    for (const auto& [name, contents] : *listed_) {
        if (checked_.contains(name)) {
            continue;
        }
        const std::string path = PathOf(name);
        if (files.FactsOf(path).kind == platform::EntryKind::None) {
            Damaged(path, "is missing");
        }
        platform::FileContents read;
        try {
            read = files.ContentsOf(path);
        } catch (const platform::RuntimeError& error) {
            throw StepFailure{error, "Could not read the installation file " + path + "."};
        }
        Check(name, read);
    }
}

}  // namespace setup
