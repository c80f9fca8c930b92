#pragma once

#include "feedserver/sources/SourceItem.h"

#include <vector>

namespace pregonero::feeds {

// Gathers the pictures an item names, wherever the feed puts them, and puts
// them in the order an edition wants: the item's picture first, then every
// other picture once (a gallery shows them all).
//
// The item's picture is the first of: a media:content image (when several
// give widths, the widest at most 1600 px, else the narrowest), a media:group
// image, a media:thumbnail, an image enclosure, itunes:image, JSON Feed's
// image, the body's first picture. Media:content images with pairwise
// distinct widths are renditions of one picture: only the chosen one is kept.
// A thumbnail is a small copy of the main picture, so it is kept only when
// there is no media:content or media:group image.
class ItemPictures {
public:
    enum class Kind {
        MediaContent,
        MediaGroup,
        Thumbnail,
        Enclosure,
        ItunesImage,
        FeedImage,
        Body
    };

    // `picture.url` is already absolute and http(s); `width` is -1 when not given.
    void Add(Kind kind, SourcePicture picture, int width = -1);

    std::vector<SourcePicture> Take();

private:
    struct Entry {
        Kind kind;
        SourcePicture picture;
        int width;
    };
    std::vector<Entry> entries_;
};

} // namespace pregonero::feeds
