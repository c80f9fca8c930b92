// Any bytes as a cached feed: parsed from memory as the screens parse their
// cache files, then read by each of the four readers the screens use (a cache
// file does not say which screen wrote it, so every reading must hold).
#include "fuzz/support/FuzzCheck.h"
#include "fuzz/support/WellFormedUtf8.h"
#include "net/FeedDocument.h"
#include "platform/base/String.h"
#include "platform/base/Utf8.h"
#include "screens/ArticleFeed.h"
#include "screens/GalleryFeed.h"
#include "screens/HeadlineFeed.h"

#include <cstddef>
#include <cstdint>
#include <string>

using Osp::Base::String;

namespace {

// Whatever the feed held, a value read from it is well-formed text.
void Check(const String& value) {
    FUZZ_CHECK(pregonero::fuzz::IsWellFormedUtf16(value.Utf16()));
    FUZZ_CHECK(pregonero::text::Utf8ToUtf16Strict(value.ToUtf8()) == value.Utf16());
}

// Ids count the records from 1 after a fixed prefix.
void CheckId(const String& id, const char* prefix, std::size_t number) {
    FUZZ_CHECK(id.ToUtf8() == prefix + std::to_string(number));
}

void ReadHeadlines(FeedElement root, FeedLayout layout, const char* prefix) {
    const auto records = HeadlineFeed::Read(root, layout);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const HeadlineFeed::Record& r = records[i];
        for (const String* value : {&r.title, &r.link, &r.pubTime, &r.imgUrl, &r.description}) {
            Check(*value);
        }
        CheckId(r.id, prefix, i + 1);
    }
}

void ReadArticle(FeedElement root) {
    for (const ArticleFeed::Record& r : ArticleFeed::Read(root)) {
        for (const String* value :
             {&r.title, &r.author, &r.pubDate, &r.pubTime, &r.imgLink, &r.imgDes, &r.body}) {
            Check(*value);
        }
        // The clean-up's last fragment is ">": none survives it.
        FUZZ_CHECK(r.body.Utf16().find(u'>') == std::u16string::npos);
    }
}

void ReadGallery(FeedElement root) {
    const auto records = GalleryFeed::Read(root);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const GalleryFeed::Record& r = records[i];
        for (const String* value : {&r.title, &r.imgUrl, &r.imgDes}) {
            Check(*value);
        }
        CheckId(r.id, "IDFOTOGALERIA", i + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FeedDocument document;
    const FeedDocument::Status status =
        document.LoadMemory(reinterpret_cast<const char*>(data), size);
    const FeedElement root = document.Root();
    switch (status) {
    case FeedDocument::Status::Ok:
        FUZZ_CHECK(root.IsNamed("root"));
        break;
    case FeedDocument::Status::WrongRoot:
        FUZZ_CHECK(root && !root.IsNamed("root"));
        break;
    case FeedDocument::Status::NotXml:
    case FeedDocument::Status::NoRoot:
        FUZZ_CHECK(!root);
        break;
    case FeedDocument::Status::Unreadable:
    case FeedDocument::Status::TooLarge:
        FUZZ_CHECK(false); // memory is always readable, and fuzz inputs are small
    }
    if (status != FeedDocument::Status::Ok) {
        return 0;
    }
    ReadHeadlines(root, FeedLayout::FrontPage, "IDPORTADA");
    ReadHeadlines(root, FeedLayout::Section, "IDSECCION");
    ReadArticle(root);
    ReadGallery(root);
    return 0;
}
