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
#include <initializer_list>
#include <string>

using Osp::Base::String;

namespace {

// Whatever the feed held, a value read from it is well-formed text.
void Check(std::initializer_list<const String*> values) {
    for (const String* value : values) {
        FUZZ_CHECK(pregonero::fuzz::IsWellFormedUtf16(value->Utf16()));
        FUZZ_CHECK(pregonero::text::Utf8ToUtf16Strict(value->ToUtf8()) == value->Utf16());
    }
}

// Ids count the records from 1 after a fixed prefix.
void CheckId(const String& id, const char* prefix, std::size_t index) {
    FUZZ_CHECK(id.ToUtf8() == prefix + std::to_string(index + 1));
}

void ReadHeadlines(FeedElement root, FeedLayout layout, const char* prefix) {
    const auto records = HeadlineFeed::Read(root, layout);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const HeadlineFeed::Record& r = records[i];
        Check({&r.title, &r.link, &r.pubTime, &r.imgUrl, &r.description});
        CheckId(r.id, prefix, i);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FeedDocument document;
    const FeedDocument::Status status =
        document.LoadMemory(reinterpret_cast<const char*>(data), size);
    const FeedElement root = document.Root();
    // Memory is always readable, and fuzz inputs are small.
    FUZZ_CHECK(status != FeedDocument::Status::Unreadable &&
               status != FeedDocument::Status::TooLarge);
    FUZZ_CHECK(static_cast<bool>(root) ==
               (status == FeedDocument::Status::Ok || status == FeedDocument::Status::WrongRoot));
    FUZZ_CHECK(root.IsNamed("root") == (status == FeedDocument::Status::Ok));
    if (status != FeedDocument::Status::Ok) {
        return 0;
    }
    ReadHeadlines(root, FeedLayout::FrontPage, "IDPORTADA");
    ReadHeadlines(root, FeedLayout::Section, "IDSECCION");
    for (const ArticleFeed::Record& r : ArticleFeed::Read(root)) {
        Check({&r.title, &r.author, &r.pubDate, &r.pubTime, &r.imgLink, &r.imgDes, &r.body});
        // The clean-up's last fragment is ">": none survives it.
        FUZZ_CHECK(r.body.Utf16().find(u'>') == std::u16string::npos);
    }
    const auto photos = GalleryFeed::Read(root);
    for (std::size_t i = 0; i < photos.size(); ++i) {
        Check({&photos[i].title, &photos[i].imgUrl, &photos[i].imgDes});
        CheckId(photos[i].id, "IDFOTOGALERIA", i);
    }
    return 0;
}
