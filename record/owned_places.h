#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/layout.h"

namespace record {

// Where a recorded path is reached from, and the path in its normal spelling. The walk starts at
// the owned place that holds it, as the system names it; for a place the install made, at the
// folder above the outermost folder it made on the way there, so that each folder it made is
// itself checked not to be a link.
struct Reach {
    std::string place;
    std::string path;

    bool operator==(const Reach&) const = default;
};

// The places an install owns, the only ones its record and journal may name: its install folders,
// the application folder, and the desktop, menu, programs and icon places of its scope (a user's
// own, and the shared ones Setup falls back to for a user without a profile folder).
class OwnedPlaces {
public:
    // madeFolders: the folders the install made, as its record or journal lists them.
    OwnedPlaces(const platform::Layout& layout, const std::string& userName,
                const std::vector<std::string>& installFolders,
                const std::vector<std::string>& madeFolders = {});

    // A file must lie inside a place, reached from the deepest that holds it. Nothing for a path
    // that is not full, climbs above its root, or lies in no place.
    std::optional<Reach> ReachOfFile(const std::string& path) const;
    // A folder may also be a place itself, or a folder on the way to one (Setup makes those when
    // missing): then it is reached from the folder above it.
    std::optional<Reach> ReachOfFolder(const std::string& path) const;

    // The first folder below reach's place on the way to its path that is a link (or a
    // junction), seen by path: for a check made, under the lock, before changes that go by path.
    // Nothing when there is none.
    std::optional<std::string> LinkOnTheWay(platform::FileReading& files, const Reach& reach) const;

private:
    struct Place {
        std::string path;    // normal spelling
        std::string anchor;  // where a walk to what it holds starts
    };

    std::string AnchorFor(std::string folder) const;

    std::string separator_;
    std::set<std::string> made_;  // path keys
    std::vector<Place> places_;
};

// The first folder that path, as it is spelled, climbs out of with ".." while it is a link (or a
// junction): there the system would climb out of where the link leads, not where the spelling
// says. Nothing when there is none.
std::optional<std::string> LinkClimbedOutOf(platform::FileReading& files, const std::string& path);

// The line (counted from 1) of a record's or journal's text that names path as one of its
// fields; 0 for none.
std::size_t LineNaming(std::string_view text, const std::string& path);

}  // namespace record
