#pragma once

#include "feedserver/sources/SourceItem.h"

#include <string>
#include <string_view>

namespace pregonero::feeds {

// Reads RSS 2.0 (and its 0.9x ancestors), RSS 1.0 (RDF) and Atom 1.0 with
// libxml2: no network, no DTD loading, no external entities, the parser's own
// limits on. A document that is not well-formed is mended (XmlRepair) and
// read again by the recovering parser, and the feed is marked ill-formed.
// Elements are matched by namespace, whatever prefix the feed gives them.
// libxml2's own complaints about the feed are dropped, never printed.
class XmlFeedReader {
public:
    static constexpr std::size_t kMaxItems = 500;

    // `bytes` is the whole document; `feedUrl` the base of relative URLs.
    static bool Read(std::string_view bytes, const std::string& feedUrl,
                     std::string_view contentType, SourceFeed* feed, std::string* error);
};

} // namespace pregonero::feeds
