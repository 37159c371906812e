#include "record/owned_places.h"

#include <set>

#include "platform/paths.h"
#include "platform/platform.h"
#include "record/text_lines.h"

namespace record {

OwnedPlaces::OwnedPlaces(const platform::Layout& layout, const std::string& userName,
                         const std::vector<std::string>& installFolders,
                         const std::vector<std::string>& madeFolders)
    : separator_(layout.separator) {
    for (const auto& folder : madeFolders) {
        if (auto normal = platform::NormalPath(folder, separator_)) {
            made_.insert(platform::PathKey(*normal));
        }
    }
    std::vector<std::string> named = installFolders;
    named.push_back(layout.applicationFolder);
    for (const platform::UserPlaces& places : {layout.PlacesOf(userName), layout.sharedPlaces}) {
        for (const std::string* place :
             {&places.desktop, &places.startMenu, &places.programs, &places.iconTheme}) {
            named.push_back(*place);
        }
    }
    for (const auto& place : named) {
        auto normal = platform::NormalPath(place, separator_);
        if (!normal) {
            continue;
        }
        std::string anchor = AnchorFor(*normal);
        places_.push_back({std::move(*normal), std::move(anchor)});
    }
}

std::string OwnedPlaces::AnchorFor(std::string folder) const {
    while (made_.contains(platform::PathKey(folder)) && platform::ParentOf(folder) != folder) {
        folder = platform::ParentOf(folder);
    }
    return folder;
}

std::optional<Reach> OwnedPlaces::ReachOfFile(const std::string& path) const {
    const auto normal = platform::NormalPath(path, separator_);
    if (!normal) {
        return std::nullopt;
    }
    std::optional<Reach> reach;
    std::size_t fewest = 0;
    for (const auto& place : places_) {
        const auto names = platform::NamesBelow(place.path, *normal);
        if (names && !names->empty() && (!reach || names->size() < fewest)) {
            reach = Reach{place.anchor, *normal};
            fewest = names->size();
        }
    }
    return reach;
}

std::optional<Reach> OwnedPlaces::ReachOfFolder(const std::string& path) const {
    if (auto reach = ReachOfFile(path)) {
        return reach;
    }
    const auto normal = platform::NormalPath(path, separator_);
    if (!normal) {
        return std::nullopt;
    }
    const std::string parent = platform::ParentOf(*normal);
    if (parent == *normal || parent.empty()) {
        return std::nullopt;  // a root
    }
    for (const auto& place : places_) {
        if (platform::NamesBelow(*normal, place.path)) {
            return Reach{AnchorFor(parent), *normal};
        }
    }
    return std::nullopt;
}

std::optional<std::string> OwnedPlaces::LinkOnTheWay(platform::FileReading& files,
                                                     const Reach& reach) const {
    const auto names = platform::NamesBelow(reach.place, reach.path);
    if (!names) {
        return std::nullopt;
    }
    std::string folder = reach.place;
    for (std::size_t i = 0; i + 1 < names->size(); ++i) {
        folder += (platform::IsPathSeparator(folder.back()) ? "" : separator_) + (*names)[i];
        if (files.FactsOf(folder).kind == platform::EntryKind::Other) {
            return folder;
        }
    }
    return std::nullopt;
}

std::optional<std::string> LinkClimbedOutOf(platform::FileReading& files, const std::string& path) {
    for (const std::string& step : platform::FoldersOnTheWay(path)) {
        if (platform::NameOf(step) != "..") {
            continue;
        }
        const std::string climbed = platform::ParentOf(step);
        if (files.FactsOf(climbed).kind == platform::EntryKind::Other) {
            return climbed;
        }
    }
    return std::nullopt;
}

std::size_t LineNaming(std::string_view text, const std::string& path) {
    const std::string field = " " + Escaped(path);
    std::size_t number = 1;
    for (std::size_t start = 0; start < text.size(); ++number) {
        std::size_t end = text.find(kLineEnd, start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = text.substr(start, end - start);
        if (line.ends_with(field) || line.find(field + " ") != std::string_view::npos) {
            return number;
        }
        start = end + kLineEnd.size();
    }
    return 0;
}

}  // namespace record
