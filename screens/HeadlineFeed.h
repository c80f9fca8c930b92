#pragma once

#include "net/FeedDocument.h"
#include "platform/base/String.h"

#include <cstddef>
#include <vector>

// Which of the two headline feeds a file holds.
enum class FeedLayout {
    FrontPage, // articles inside "group" elements titled "Portada" or untitled
    Section,   // articles straight under the root
};

// The headlines of a front page or section feed, read without any screen so
// that the reading can be tested and fuzzed on its own. A section can hold
// thousands of articles, so the feed is read as a stream, with no tree built.
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

    // The articles of the cache file at `path` (an application path) whose
    // root is "root", in document order. Unless Ok comes back, `records` is
    // left empty.
    static FeedDocument::Status Read(const char* path, FeedLayout layout,
                                     std::vector<Record>& records);
    static FeedDocument::Status ReadMemory(const char* data, std::size_t size, FeedLayout layout,
                                           std::vector<Record>& records);
};
