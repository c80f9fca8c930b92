// Any bytes as a newspaper's feed: read as the feed server reads what it
// fetched (RSS, Atom, RDF or JSON Feed, whichever the bytes look like), and as
// an HTML body on its own. Whatever came in, what comes out is well-formed
// plain text, http(s) URLs only, and no more items than the limit.
#include "feedserver/sources/HtmlText.h"
#include "feedserver/sources/SourceFeedReader.h"
#include "fuzz/support/FuzzCheck.h"
#include "fuzz/support/WellFormedUtf8.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using pregonero::feeds::HtmlText;
using pregonero::feeds::SourceFeed;
using pregonero::feeds::SourceFeedReader;
using pregonero::feeds::SourceItem;
using pregonero::feeds::SourcePicture;

namespace {

constexpr std::size_t kMaxText = (1u << 20) + 8;

void CheckText(const std::string& text) {
    FUZZ_CHECK(pregonero::fuzz::IsWellFormedUtf8(text));
    FUZZ_CHECK(text.size() <= kMaxText);
}

void CheckUrl(const std::string& url) {
    FUZZ_CHECK(url.empty() || url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0);
    CheckText(url);
}

void CheckPictures(const std::vector<SourcePicture>& pictures) {
    for (const SourcePicture& picture : pictures) {
        FUZZ_CHECK(!picture.url.empty());
        CheckUrl(picture.url);
        CheckText(picture.caption);
        FUZZ_CHECK(picture.caption.find('\n') == std::string::npos);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    SourceFeed feed;
    std::string error;
    if (SourceFeedReader::Read(bytes, "https://diario.example.com/feeds/portada.xml",
                               "application/rss+xml", &feed, &error)) {
        FUZZ_CHECK(feed.items.size() <= 500);
        CheckText(feed.title);
        for (const SourceItem& item : feed.items) {
            for (const std::string* text : {&item.title, &item.guid, &item.summary, &item.author}) {
                CheckText(*text);
                FUZZ_CHECK(text->find('\n') == std::string::npos);
            }
            CheckText(item.body);
            CheckUrl(item.link);
            CheckPictures(item.pictures);
        }
    } else {
        FUZZ_CHECK(!error.empty() && error.find('\n') == std::string::npos);
        FUZZ_CHECK(feed.items.empty());
    }

    // The HTML-to-text step alone, on bytes no feed parser has vetted.
    std::vector<SourcePicture> pictures;
    std::string body = HtmlText::Body(bytes, "https://diario.example.com/", &pictures);
    CheckText(body);
    FUZZ_CHECK(body.find("\n\n") == std::string::npos);
    CheckPictures(pictures);
    std::string line = HtmlText::Line(bytes);
    CheckText(line);
    FUZZ_CHECK(line.find('\n') == std::string::npos);
    return 0;
}
