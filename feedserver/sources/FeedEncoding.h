#pragma once

#include <string>
#include <string_view>

namespace pregonero::feeds {

// Decides how a feed's bytes are to be read, as browsers do rather than as
// the labels say: a UTF-8 byte-order mark wins; bytes that are valid UTF-8
// are UTF-8 whatever the label; text labelled UTF-8, ISO-8859-1, US-ASCII or
// Windows-1252 (or not labelled) that is not valid UTF-8 is Windows-1252, the
// superset servers mean when they say ISO-8859-1. Other labels (KOI8-R,
// Shift_JIS, …) are left to the XML parser: the document's own declaration,
// or else the server's charset, which the parser is then given by name.
// UTF-16 and UTF-32 the parser tells by their first bytes; a charset no
// registry could name (too long, odd characters) is not passed on.
class FeedEncoding {
public:
    struct Result {
        std::string_view text;    // the bytes to parse: the input or `converted`
        std::string converted;    // UTF-8 made from Windows-1252, when needed
        bool utf8 = true;         // UTF-8 whatever the document declares; false: leave
                                  // the decoding to the parser
        std::string charset;      // when not `utf8`: the server's charset for a document
                                  // that declares none, or empty
        bool mislabelled = false; // a label or its absence was wrong
    };

    // `contentType` as the server sent it ("application/rss+xml; charset=…").
    static Result Decide(std::string_view bytes, std::string_view contentType);

    static bool IsValidUtf8(std::string_view bytes);
};

} // namespace pregonero::feeds
