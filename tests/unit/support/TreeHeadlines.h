#pragma once

#include "net/FeedDocument.h"
#include "screens/HeadlineFeed.h"

#include <cstddef>
#include <string>
#include <vector>

namespace pregonero::test {

// The headline reading done the plain way, by walking a parsed tree: the
// streaming reader must find exactly these records in any feed.
struct TreeHeadlines {
    FeedDocument::Status status;
    std::vector<HeadlineFeed::Record> records;
};
TreeHeadlines ReadTreeHeadlines(const char* data, std::size_t size, FeedLayout layout);

// Empty when the two readings agree, else what differs first.
std::string CompareHeadlines(const std::vector<HeadlineFeed::Record>& expected,
                             const std::vector<HeadlineFeed::Record>& actual);

} // namespace pregonero::test
