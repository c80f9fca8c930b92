#pragma once

#include "net/FeedDocument.h"
#include "platform/base/String.h"

#include <vector>

// The articles of an article feed, bodies already cleaned of markup, read
// without any screen so that the reading can be tested and fuzzed on its own.
class ArticleFeed {
public:
    // One article as read; the screen numbers the rows it builds from it.
    struct Record {
        Osp::Base::String title;
        Osp::Base::String author;
        Osp::Base::String pubDate;
        Osp::Base::String pubTime;
        Osp::Base::String imgLink;
        Osp::Base::String imgDes;
        Osp::Base::String body;
    };

    // The "article" children of `root`, in document order: the first
    // FeedParser::kMaxRows of them.
    static std::vector<Record> Read(FeedElement root);
};
