#include "record/file_identity.h"

#include <variant>

#include "platform/runtime_error.h"
#include "record/content_hash.h"

namespace record {

namespace {

// Whether the bytes at path are still the recorded ones. Each read takes one byte more than
// recorded, or reads to the end: a file that grew between the two looks is not the same.
struct ContentsMatch {
    platform::FileSystem& files;
    const PlacedFile& placed;

    bool operator()(const NoHash& /*none*/) const { return false; }
    bool operator()(const SizeAndTime& /*unknown*/) const { return true; }
    bool operator()(const EarlierHash& earlier) const {
        const auto bytes = files.ReadPrefix(placed.path, static_cast<std::size_t>(placed.size + 1),
                                            platform::Links::Refuse);
        return bytes.size() == static_cast<std::size_t>(placed.size) &&
               EarlierContentHash(bytes) == earlier.xxh64;
    }
    bool operator()(const platform::ContentHash& xxh3) const {
        return files.ContentsOf(placed.path) == platform::FileContents{placed.size, xxh3};
    }
};

}  // namespace

PlacedFile Identify(platform::FileSystem& files, const std::string& path,
                    const std::optional<platform::FileContents>& written) {
    const platform::EntryFacts facts = files.FactsOf(path);
    if (facts.kind != platform::EntryKind::File) {
        throw platform::RuntimeError(platform::error::kPathFileAccessError, path);
    }
    const platform::FileContents contents =
        written && written->size == facts.size ? *written : files.ContentsOf(path);
    return {path, facts.size, facts.modified,
            contents.size == facts.size ? KnownContents{contents.hash} : KnownContents{NoHash{}}};
}

FileState StateOf(platform::FileSystem& files, const PlacedFile& placed) {
    const platform::EntryFacts facts = files.FactsOf(placed.path);
    if (facts.kind == platform::EntryKind::None) {
        return FileState::Gone;
    }
    if (facts.kind != platform::EntryKind::File || facts.size != placed.size ||
        facts.modified != placed.modified) {
        return FileState::Changed;
    }
    return std::visit(ContentsMatch{files, placed}, placed.contents) ? FileState::AsPlaced
                                                                     : FileState::Changed;
}

}  // namespace record
