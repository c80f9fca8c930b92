#include "feedserver/sources/ItemPictures.h"

#include <algorithm>
#include <map>
#include <string>

namespace pregonero::feeds {

namespace {

constexpr int kMaxWidth = 1600;

// The media:content picture that leads; `renditions` says whether the others
// are the same picture at other sizes.
std::size_t ChooseMediaContent(const std::vector<std::size_t>& media,
                               const std::vector<int>& widths, bool& renditions) {
    std::vector<int> given;
    for (int width : widths) {
        if (width > 0) {
            given.push_back(width);
        }
    }
    std::vector<int> sorted = given;
    std::sort(sorted.begin(), sorted.end());
    renditions =
        sorted.size() >= 2 && std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
    if (given.empty()) {
        return media.front();
    }
    std::size_t best = media.size();
    for (std::size_t i = 0; i < media.size(); ++i) {
        int width = widths[i];
        if (width <= 0) {
            continue;
        }
        if (best == media.size()) {
            best = i;
            continue;
        }
        int bestWidth = widths[best];
        bool fits = width <= kMaxWidth;
        bool bestFits = bestWidth <= kMaxWidth;
        if ((fits && !bestFits) || (fits && bestFits && width > bestWidth) ||
            (!fits && !bestFits && width < bestWidth)) {
            best = i;
        }
    }
    return media[best];
}

} // namespace

void ItemPictures::Add(Kind kind, SourcePicture picture, int width) {
    if (picture.url.empty() || entries_.size() >= 1000) {
        return;
    }
    entries_.push_back({kind, std::move(picture), width});
}

std::vector<SourcePicture> ItemPictures::Take() {
    std::vector<std::size_t> order;
    std::vector<std::size_t> media;
    std::vector<int> widths;
    bool hasLargeMedia = false;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].kind == Kind::MediaContent) {
            media.push_back(i);
            widths.push_back(entries_[i].width);
        }
        hasLargeMedia = hasLargeMedia || entries_[i].kind == Kind::MediaContent ||
                        entries_[i].kind == Kind::MediaGroup;
    }
    if (!media.empty()) {
        bool renditions = false;
        std::size_t chosen = ChooseMediaContent(media, widths, renditions);
        order.push_back(chosen);
        for (std::size_t i : media) {
            if (i != chosen && (!renditions || entries_[i].width <= 0)) {
                order.push_back(i);
            }
        }
    }
    for (Kind kind : {Kind::MediaGroup, Kind::Thumbnail, Kind::Enclosure, Kind::ItunesImage,
                      Kind::FeedImage, Kind::Body}) {
        if (kind == Kind::Thumbnail && hasLargeMedia) {
            continue;
        }
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            if (entries_[i].kind == kind) {
                order.push_back(i);
            }
        }
    }
    std::vector<SourcePicture> pictures;
    std::map<std::string, std::size_t> seen;
    for (std::size_t i : order) {
        SourcePicture& picture = entries_[i].picture;
        auto [it, added] = seen.emplace(picture.url, pictures.size());
        if (added) {
            pictures.push_back(std::move(picture));
        } else if (pictures[it->second].caption.empty()) {
            // Named twice: the first mention keeps its place, a caption from either.
            pictures[it->second].caption = std::move(picture.caption);
        }
    }
    entries_.clear();
    return pictures;
}

} // namespace pregonero::feeds
