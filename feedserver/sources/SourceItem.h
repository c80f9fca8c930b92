#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pregonero::feeds {

// A picture an item carries, with an absolute http or https URL.
struct SourcePicture {
    std::string url;
    std::string caption; // plain text; may be empty
};

// One news item of a newspaper's feed (RSS 2.0, Atom 1.0, RSS 1.0 or JSON
// Feed), reduced to what an edition shows. Every text is plain UTF-8:
// entities decoded, markup removed.
struct SourceItem {
    std::string title;                     // the summary's first words when the feed gives none
    std::string link;                      // absolute http or https URL, or empty
    std::string guid;                      // as the feed gives it, or empty
    std::string summary;                   // plain text, whitespace collapsed
    std::string body;                      // the fullest content: paragraphs separated by '\n',
                                           // list items as lines that start with "• "
    std::string author;                    // empty when the feed names none
    std::optional<std::int64_t> published; // seconds since the epoch, UTC;
                                           // publication, else update time
    std::vector<SourcePicture> pictures;   // the item's picture first
};

// A source feed as read: its items in feed order, and whether it was
// ill-formed (read by the recovering parse).
struct SourceFeed {
    std::string title;
    std::vector<SourceItem> items;
    bool illFormed = false;
};

} // namespace pregonero::feeds
