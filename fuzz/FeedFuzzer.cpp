// Any bytes as a cached feed: parsed from memory, then walked the four ways
// the screens read a feed, reading every attribute they read. The screens
// need a running program to be driven, so their walks are repeated here with
// the same FeedElement calls, in the same order.
#include "fuzz/support/FuzzCheck.h"
#include "fuzz/support/WellFormedUtf8.h"
#include "net/FeedDocument.h"
#include "platform/base/String.h"
#include "platform/base/Utf8.h"
#include "screens/ArticleCleanup.h"

#include <cstddef>
#include <cstdint>

using Osp::Base::String;

namespace {

// Whatever the feed held, a value read from it is well-formed text.
String Read(const FeedElement& element, const char* attribute) {
    String value = element.Attribute(attribute);
    FUZZ_CHECK(pregonero::fuzz::IsWellFormedUtf16(value.Utf16()));
    FUZZ_CHECK(pregonero::text::Utf8ToUtf16Strict(value.ToUtf8()) == value.Utf16());
    return value;
}

int ReadHeadline(const FeedElement& article, bool withPubTime) {
    int chars = Read(article, "Title").GetLength() + Read(article, "Link").GetLength();
    if (withPubTime) {
        chars += Read(article, "PubTime").GetLength();
    }
    return chars + Read(article, "ImgUrl").GetLength() + Read(article, "Description").GetLength();
}

int ReadHeadlines(const FeedElement& parent, bool withPubTime) {
    int chars = 0;
    for (FeedElement e = parent.FirstChildElement(); e; e = e.NextElement()) {
        if (e.IsNamed("article")) {
            chars += ReadHeadline(e, withPubTime);
        }
    }
    return chars;
}

// The front page: articles inside groups titled "Portada" or untitled.
int WalkFrontPage(const FeedElement& root) {
    int chars = 0;
    for (FeedElement group = root.FirstChildElement(); group; group = group.NextElement()) {
        if (!group.IsNamed("group")) {
            continue;
        }
        const String title = Read(group, "Title");
        if (title.IsEmpty() || title.Equals(L"Portada", false)) {
            chars += ReadHeadlines(group, !title.IsEmpty());
        }
    }
    return chars;
}

// An article: its body cleaned of markup, then its attributes.
int WalkArticle(const FeedElement& root) {
    int chars = 0;
    for (FeedElement child = root.FirstChildElement(); child; child = child.NextElement()) {
        if (!child.IsNamed("article")) {
            continue;
        }
        String body = child.FirstChildText();
        FUZZ_CHECK(pregonero::fuzz::IsWellFormedUtf16(body.Utf16()));
        ArticleCleanup::Apply(body);
        FUZZ_CHECK(body.Utf16().find(u'>') == std::u16string::npos);
        chars += Read(child, "ImgLink").GetLength() + Read(child, "Title").GetLength() +
                 Read(child, "Author").GetLength() + Read(child, "PubDate").GetLength() +
                 Read(child, "PubTime").GetLength() + Read(child, "ImgDes").GetLength() +
                 body.GetLength();
    }
    return chars;
}

// A photo gallery: one record per article.
int WalkGallery(const FeedElement& root) {
    int chars = 0;
    for (FeedElement child = root.FirstChildElement(); child; child = child.NextElement()) {
        if (child.IsNamed("article")) {
            chars += Read(child, "ImgUrl").GetLength() + Read(child, "Title").GetLength() +
                     Read(child, "ImgDes").GetLength();
        }
    }
    return chars;
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
    // A cache file does not say which screen wrote it: every reading must hold.
    volatile int chars =
        WalkFrontPage(root) + ReadHeadlines(root, true) + WalkArticle(root) + WalkGallery(root);
    (void)chars;
    return 0;
}
