#pragma once

#include "feedserver/sources/SourceItem.h"

#include <string>
#include <string_view>

namespace pregonero::feeds {

// Reads a newspaper's feed into items, whatever its format, leniently and
// safely (see XmlFeedReader and JsonFeedReader). Every item comes out with
// plain text, absolute http(s) URLs only, and a title: the first words of
// its summary (else of its body) when the feed gives none. Holds no state:
// several threads may read feeds at once.
class SourceFeedReader {
public:
    // Reads RSS 2.0, Atom 1.0, RSS 1.0 (RDF) or JSON Feed 1.1 from the bytes
    // fetched from feedUrl (contentType as the server sent it, may be empty).
    // False with a one-line reason in *error when nothing can be read.
    static bool Read(std::string_view bytes, const std::string& feedUrl,
                     std::string_view contentType, SourceFeed* feed, std::string* error);
};

} // namespace pregonero::feeds
