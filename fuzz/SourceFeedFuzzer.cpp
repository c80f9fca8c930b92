// Any bytes as a newspaper's feed: read as the feed server reads what it
// fetched (RSS, Atom, RDF or JSON Feed, whichever the bytes look like, under
// a server's charset label that the input's length picks), its
// items made into the edition the reader is served (in memory), and the bytes
// read as an HTML body on their own. Whatever came in, what comes out is
// well-formed plain text, http(s) URLs only, no more items than the limit,
// and every file of the edition well-formed XML.
#include "feedserver/bridge/EditionBuilder.h"
#include "feedserver/bridge/EditionClock.h"
#include "feedserver/bridge/SectionTable.h"
#include "feedserver/sources/HtmlText.h"
#include "feedserver/sources/SourceFeedReader.h"
#include "fuzz/support/FuzzCheck.h"
#include "fuzz/support/WellFormedUtf8.h"

#include <libxml/parser.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

using pregonero::feeds::EditionBuilder;
using pregonero::feeds::EditionClock;
using pregonero::feeds::HtmlText;
using pregonero::feeds::SectionTable;
using pregonero::feeds::SourceFeed;
using pregonero::feeds::SourceFeedReader;
using pregonero::feeds::SourceItem;
using pregonero::feeds::SourcePicture;

namespace {

constexpr std::size_t kMaxText = (1u << 20) + 8;

// Half the inputs as most servers label them; the rest under the labels that
// hand the bytes to one of libxml2's converters, or (UTF-16) to its own detection.
constexpr const char* kContentTypes[] = {
    "application/rss+xml",
    "application/rss+xml",
    "application/rss+xml",
    "application/rss+xml",
    "application/rss+xml; charset=koi8-r",
    "text/xml; charset=shift_jis",
    "application/atom+xml; charset=\"windows-1251\"",
    "text/xml; charset=utf-16",
};

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

// The items as one section's and as the galleries' sources; the front
// page, fed by none, is made of the newest items.
void CheckEdition(const SourceFeed& feed) {
    static const EditionClock clock = [] {
        EditionClock madrid;
        std::string error;
        madrid.SetZone("Europe/Madrid", &error); // UTC when the system has no zones
        return madrid;
    }();
    static const int section = SectionTable::Find("Mundo");
    static const int galleries = SectionTable::Find("Fotogaleria");
    FUZZ_CHECK(section > 0 && galleries > 0);
    EditionBuilder builder(clock);
    builder.Add(section, feed.items);
    builder.Add(galleries, feed.items);
    std::size_t files = 0;
    bool written = builder.Write([&](const std::string& path, const std::string& bytes) {
        ++files;
        FUZZ_CHECK(!path.empty() && path.front() != '/' && path.find("..") == std::string::npos);
        FUZZ_CHECK(pregonero::fuzz::IsWellFormedUtf8(bytes));
        xmlDocPtr document = xmlReadMemory(
            bytes.data(), static_cast<int>(bytes.size()), nullptr, "UTF-8",
            XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE);
        FUZZ_CHECK(document != nullptr);
        xmlFreeDoc(document);
        return true;
    });
    FUZZ_CHECK(written);
    FUZZ_CHECK(files >= SectionTable::Sections().size() + (feed.items.empty() ? 0 : 1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    SourceFeed feed;
    std::string error;
    if (SourceFeedReader::Read(bytes, "https://diario.example.com/feeds/portada.xml",
                               kContentTypes[size % std::size(kContentTypes)], &feed, &error)) {
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
        CheckEdition(feed);
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
