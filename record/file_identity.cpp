#include "record/file_identity.h"

#include "platform/runtime_error.h"
#include "record/content_hash.h"

namespace record {

namespace {

std::uint64_t HashOf(platform::FileSystem& files, const std::string& path, std::int64_t size) {
    return ContentHash(
        files.ReadPrefix(path, static_cast<std::size_t>(size), platform::Links::Refuse));
}

}  // namespace

PlacedFile Identify(platform::FileSystem& files, const std::string& path) {
    const platform::EntryFacts facts = files.FactsOf(path);
    if (facts.kind != platform::EntryKind::File) {
        throw platform::RuntimeError(platform::error::kPathFileAccessError, path);
    }
    PlacedFile placed{path, facts.size, facts.modified, std::nullopt};
    if (facts.size <= kHashedSizeLimit) {
        placed.hash = HashOf(files, path, facts.size);
    }
    return placed;
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
    // Read one byte more than recorded: a file that grew between the two looks is not the same.
    if (placed.hash &&
        ContentHash(files.ReadPrefix(placed.path, static_cast<std::size_t>(placed.size + 1),
                                     platform::Links::Refuse)) != *placed.hash) {
        return FileState::Changed;
    }
    return FileState::AsPlaced;
}

}  // namespace record
