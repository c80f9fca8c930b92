#include "feedserver/sources/SourceFeedReader.h"

#include "feedserver/sources/FeedEncoding.h"
#include "feedserver/sources/HtmlText.h"
#include "feedserver/sources/JsonFeedReader.h"
#include "feedserver/sources/XmlFeedReader.h"

namespace pregonero::feeds {

namespace {

constexpr std::size_t kTitleWords = 12;
constexpr std::size_t kTitleBytes = 100;

// The first words of `text`, with "…" when there was more.
std::string FirstWords(const std::string& text) {
    std::string line = HtmlText::PlainLine(text);
    std::size_t words = 0;
    std::size_t end = 0;
    std::size_t pos = 0;
    while (pos < line.size() && words < kTitleWords) {
        std::size_t space = line.find(' ', pos);
        std::size_t wordEnd = space == std::string::npos ? line.size() : space;
        if (wordEnd > kTitleBytes) {
            break;
        }
        end = wordEnd;
        ++words;
        pos = wordEnd + 1;
    }
    if (end == 0 && !line.empty()) {
        // One word longer than a title: cut it on a character boundary.
        end = kTitleBytes;
        while (end > 0 && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80) {
            --end;
        }
    }
    if (end >= line.size()) {
        return line;
    }
    std::string title = line.substr(0, end);
    while (!title.empty() && (title.back() == ',' || title.back() == ';' || title.back() == ':')) {
        title.pop_back();
    }
    return title + "…";
}

bool LooksLikeJson(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    std::size_t first = bytes.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && bytes[first] == '{';
}

} // namespace

bool SourceFeedReader::Read(std::string_view bytes, const std::string& feedUrl,
                            std::string_view contentType, SourceFeed* feed, std::string* error) {
    *feed = SourceFeed();
    std::string reason;
    bool read = false;
    if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        reason = "empty document";
    } else if (LooksLikeJson(bytes)) {
        std::string_view json = bytes.substr(0, 3) == "\xEF\xBB\xBF" ? bytes.substr(3) : bytes;
        read = JsonFeedReader::Read(json, feedUrl, feed, &reason);
        if (read && !FeedEncoding::IsValidUtf8(json)) {
            feed->illFormed = true;
        }
    } else {
        read = XmlFeedReader::Read(bytes, feedUrl, contentType, feed, &reason);
    }
    if (!read) {
        *feed = SourceFeed();
        if (error != nullptr) {
            *error = reason;
        }
        return false;
    }
    for (SourceItem& item : feed->items) {
        if (item.summary.empty() && !item.body.empty()) {
            item.summary = HtmlText::PlainLine(item.body);
        }
        if (item.title.empty()) {
            item.title = FirstWords(item.summary);
        }
    }
    return true;
}

} // namespace pregonero::feeds
