#pragma once

#include "feedserver/sources/SourceItem.h"

#include <string>
#include <string_view>

namespace pregonero::feeds {

// Reads JSON Feed 1.1 (and 1.0: "author", attachments) with nlohmann::json.
// Fields of the wrong type are ignored, not fatal; nesting deeper than any
// feed needs is discarded while parsing, so hostile input stays cheap.
class JsonFeedReader {
public:
    static constexpr std::size_t kMaxItems = 500;

    static bool Read(std::string_view bytes, const std::string& feedUrl, SourceFeed* feed,
                     std::string* error);
};

} // namespace pregonero::feeds
