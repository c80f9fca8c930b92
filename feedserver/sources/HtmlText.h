#pragma once

#include "feedserver/sources/SourceItem.h"

#include <string>
#include <string_view>
#include <vector>

namespace pregonero::feeds {

// Turns the HTML of a feed's item into the plain text an edition shows, in
// one pass over the markup (HtmlScanner): at most TextWriter::kMaxBytes of
// input and output, and nothing that grows with the nesting of the markup
// but its open figures, at most kMaxDepth of them.
class HtmlText {
public:
    static constexpr std::size_t kMaxDepth = 64;

    // A body: paragraphs, headings, line breaks and other blocks end a line;
    // list items are lines that start with "• "; links are their text;
    // scripts, styles, iframes, forms and media players are dropped; entities
    // decoded; spaces collapsed. When `pictures` is not null, the body's
    // <img>s are appended to it in order, resolved against `base`: only
    // http(s) URLs, no tracking pixels (1 × 1, or a width or height under 100
    // when given), captioned by their figure's caption, else their alt text.
    static std::string Body(std::string_view html, const std::string& base,
                            std::vector<SourcePicture>* pictures);

    // The same text on one line: for titles, summaries and captions.
    static std::string Line(std::string_view html);

    // Text that is not markup, as a body (its line breaks kept) or a line.
    static std::string PlainBody(std::string_view text);
    static std::string PlainLine(std::string_view text);
};

} // namespace pregonero::feeds
