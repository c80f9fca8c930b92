#pragma once

#include "net/FeedDocument.h"
#include "platform/base/String.h"

#include <vector>

// The photos of a gallery feed, read without any screen so that the reading
// can be tested and fuzzed on its own.
class GalleryFeed {
public:
    // One photo as read; ids count the photos from 1.
    struct Record {
        Osp::Base::String title;
        Osp::Base::String imgUrl;
        Osp::Base::String imgDes;
        Osp::Base::String id;
    };

    // The "article" children of `root`, in document order: the first
    // FeedParser::kMaxRows of them.
    static std::vector<Record> Read(FeedElement root);
};
