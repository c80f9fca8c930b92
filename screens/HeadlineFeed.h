#pragma once

#include "net/FeedDocument.h"
#include "platform/base/String.h"

#include <vector>

// Which of the two headline feeds a file holds.
enum class FeedLayout {
    FrontPage, // articles inside "group" elements titled "Portada" or untitled
    Section,   // articles straight under the root
};

// The headlines of a front page or section feed, read without any screen so
// that the reading can be tested and fuzzed on its own.
class HeadlineFeed {
public:
    // One article as read, fields in feed order.
    struct Record {
        Osp::Base::String title;
        Osp::Base::String link;
        Osp::Base::String pubTime;
        Osp::Base::String imgUrl;
        Osp::Base::String description;
        Osp::Base::String id;
    };

    // The articles of a feed whose root is `root`, in document order: the
    // first FeedParser::kMaxRows of them.
    static std::vector<Record> Read(FeedElement root, FeedLayout layout);
};
