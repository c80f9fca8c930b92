#include "net/FeedDocument.h"
#include "net/FeedStream.h"
#include "screens/HeadlineFeed.h"
#include "support/TreeHeadlines.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Feeds where reading without a tree could easily part from the tree: entity
// references (declared, predefined, nested, holding markup), namespaces,
// attributes the DTD defaults or normalises, other encodings, and files that
// break only near their end.
const std::vector<std::string> kTrickyFeeds = {
    R"(<root><article Title="uno" PubTime="1" Link="L" ImgUrl="I" Description="D"/></root>)",
    R"(<!DOCTYPE root [<!ENTITY e "ent">]><root><article Title="a&e;b &amp; &lt;c&gt; &#233;&#x41; &quot;q&apos;"/></root>)",
    R"(<!DOCTYPE root [<!ENTITY a "x&b;y"><!ENTITY b "z">]><root><article Title="1&a;2" Link="&b;"/></root>)",
    R"(<!DOCTYPE root [<!ENTITY e "a&#38;#38;b&#38;lt;">]><root><article Title="&e;|&#38;|&#60;"/></root>)",
    R"(<!DOCTYPE root [<!ENTITY arts "<article Title='oculto'/>">]><root>&arts;<article Title="visible"/>&arts;</root>)",
    R"(<!DOCTYPE root [<!ENTITY g "<group Title='Portada'><article Title='oculto'/></group>">]><root>&g;<group>&g;<article Title="visible"/></group></root>)",
    R"(<root xmlns:p="urn:p"><p:article p:Title="ns" Title="plano"/><q:article Title="sin declarar"/><article q:Title="u" Title="t"/><article xml:lang="es" Title="x"/></root>)",
    R"(<root xmlns="urn:x"><article Title="por defecto"/><group xmlns="" Title=""><article Title="g"/></group></root>)",
    R"(<p:root xmlns:p="urn:p"><article Title="raiz con prefijo"/></p:root>)",
    R"(<!DOCTYPE root [<!ATTLIST article Title CDATA "defecto" PubTime CDATA #FIXED "00:00" Link NMTOKEN #IMPLIED>]><root><article/><article Title="propio" Link="  a  "/></root>)",
    R"(<!DOCTYPE root [<!ATTLIST group Title CDATA "Portada">]><root><group><article Title="por omision" PubTime="9"/></group></root>)",
    "<root><article Title=\"a\tb\nc&#10;d&#9;e\r\nf\"/></root>",
    R"(<root><!-- c --><?pi x?><article Title="a"><![CDATA[<article Title="no"/>]]></article>texto<article Title="b"/></root>)",
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><root><article Title=\"caf\xE9\"/></root>",
    "<root><article Title=\"mal \xC3\x28\"/></root>",
    "<root><article Title=\"ok\"/><article Title=\"x\" Title=\"y\"/></root>",
    R"(<root><article Title="x"/>)",
    R"(<root><article Title="x"/></root><otro/>)",
    R"(<raiz><article Title="x"/></raiz>)",
    "",
    "<!-- solo un comentario -->",
    R"(<!DOCTYPE root SYSTEM "fuera.dtd"><root><article Title="a&indefinida;b" Link="c"/></root>)",
    R"(<!DOCTYPE root [<!ENTITY % p "x"> %p;]><root><article Title="pe"/></root>)",
    R"(<!DOCTYPE root [<!ENTITY bucle "&bucle;">]><root><article Title="&bucle;"/></root>)",
    R"(<root><group Title="portada"><article Title="a" PubTime="1"/><group Title=""><article Title="hondo"/></group><article Title="b"/></group><article Title="c"/><group Title="Opinion"><article Title="d"/></group></root>)",
};

std::string Describe(const std::string& feed, FeedLayout layout) {
    return (layout == FeedLayout::Section ? "section: " : "front page: ") + feed;
}

class Recorder : public FeedStream::Visitor {
public:
    void OnElement(int depth, const FeedStreamElement& element) override {
        seen += std::to_string(depth) + (element.IsNamed("article") ? "a" : "x") + " ";
    }
    std::string seen;
};

} // namespace

TEST(FeedStreamTest, ReadsEveryTrickyFeedExactlyAsTheTreeDoes) {
    for (const std::string& feed : kTrickyFeeds) {
        for (FeedLayout layout : {FeedLayout::Section, FeedLayout::FrontPage}) {
            const auto tree = pregonero::test::ReadTreeHeadlines(feed.data(), feed.size(), layout);
            std::vector<HeadlineFeed::Record> records(3); // stale content must not survive
            const FeedDocument::Status status =
                HeadlineFeed::ReadMemory(feed.data(), feed.size(), layout, records);
            EXPECT_EQ(status, tree.status) << Describe(feed, layout);
            EXPECT_EQ(pregonero::test::CompareHeadlines(tree.records, records), "")
                << Describe(feed, layout);
        }
    }
}

TEST(FeedStreamTest, KnownValuesAndStatusesOfTheTrickyFeeds) {
    auto read = [](const std::string& feed, FeedLayout layout = FeedLayout::Section) {
        std::vector<HeadlineFeed::Record> records;
        const FeedDocument::Status status =
            HeadlineFeed::ReadMemory(feed.data(), feed.size(), layout, records);
        std::string out = std::to_string(static_cast<int>(status)) + ":";
        for (const auto& r : records) {
            out += " [" + r.title.ToUtf8() + "|" + r.pubTime.ToUtf8() + "|" + r.link.ToUtf8() + "]";
        }
        return out;
    };
    // Declared entities are skipped, predefined ones and character references kept.
    EXPECT_EQ(read(kTrickyFeeds[1]), "0: [ab & <c> éA \"q'||]");
    EXPECT_EQ(read(kTrickyFeeds[4]), "0: [visible||]");
    EXPECT_EQ(read(kTrickyFeeds[6]), "0: [plano||] [t||] [x||]");
    // What the DTD defaults is not in the tree; what it normalises is.
    EXPECT_EQ(read(kTrickyFeeds[9]), "0: [||] [propio||a]");
    EXPECT_EQ(read(kTrickyFeeds[11]), "0: [a b c\nd\te f||]");
    EXPECT_EQ(read(kTrickyFeeds[13]), "0: [café||]");
    EXPECT_EQ(read(kTrickyFeeds[16]), "3:"); // NotXml, even with an article read before
    EXPECT_EQ(read(kTrickyFeeds[17]), "3:");
    EXPECT_EQ(read(kTrickyFeeds[18]), "5:"); // WrongRoot
    EXPECT_EQ(read(kTrickyFeeds[24], FeedLayout::FrontPage), "0: [a|1|] [b||]");
}

TEST(FeedStreamTest, VisitorSeesDepthsAndMayReadOtherFeedsWhileItRuns) {
    const std::string outer = "<root><article/><group><article/><x><article/></x></group></root>";
    const std::string inner = R"(<root><article Title="dentro"/></root>)";
    class Nesting : public FeedStream::Visitor {
    public:
        explicit Nesting(const std::string& innerFeed) : inner(innerFeed) {}
        void OnElement(int depth, const FeedStreamElement& element) override {
            seen += std::to_string(depth) + (element.IsNamed("article") ? "a " : "x ");
            // A visitor that reads another feed on the same thread gets a
            // parser of its own; the outer parse goes on unharmed.
            std::vector<HeadlineFeed::Record> records;
            if (HeadlineFeed::ReadMemory(inner.data(), inner.size(), FeedLayout::Section,
                                         records) == FeedDocument::Status::Ok &&
                records.size() == 1) {
                ++innerReads;
            }
            FeedDocument document;
            if (document.LoadMemory(inner.data(), inner.size()) == FeedDocument::Status::Ok) {
                ++innerReads;
            }
        }
        const std::string& inner;
        std::string seen;
        int innerReads = 0;
    } nesting(inner);
    EXPECT_EQ(FeedStream::ReadMemory(outer.data(), outer.size(), nesting),
              FeedDocument::Status::Ok);
    EXPECT_EQ(nesting.seen, "1a 1x 2a 2x 3a ");
    EXPECT_EQ(nesting.innerReads, 10);

    Recorder wrongRoot;
    const std::string raiz = "<raiz><article/></raiz>";
    EXPECT_EQ(FeedStream::ReadMemory(raiz.data(), raiz.size(), wrongRoot),
              FeedDocument::Status::WrongRoot);
    EXPECT_EQ(wrongRoot.seen, ""); // nothing below a root of the wrong name
    Recorder other;
    EXPECT_EQ(FeedStream::ReadMemory(raiz.data(), raiz.size(), other, "raiz"),
              FeedDocument::Status::Ok);
    EXPECT_EQ(other.seen, "1a ");
}

TEST(FeedStreamTest, AnExceptionFromTheVisitorStopsTheParseAndLeavesTheParserUsable) {
    class Thrower : public FeedStream::Visitor {
    public:
        void OnElement(int, const FeedStreamElement&) override {
            if (++calls == 2) {
                throw std::bad_alloc();
            }
        }
        int calls = 0;
    } thrower;
    std::string feed = "<root>";
    for (int i = 0; i < 100; ++i) {
        feed += "<article/>";
    }
    feed += "</root>";
    EXPECT_THROW(FeedStream::ReadMemory(feed.data(), feed.size(), thrower), std::bad_alloc);
    EXPECT_EQ(thrower.calls, 2);

    // The same thread's next reads, streaming and tree, work as before.
    Recorder after;
    EXPECT_EQ(FeedStream::ReadMemory(feed.data(), feed.size(), after), FeedDocument::Status::Ok);
    EXPECT_EQ(after.seen.size(), 300u);
    FeedDocument document;
    EXPECT_EQ(document.LoadMemory(feed.data(), feed.size()), FeedDocument::Status::Ok);
}

TEST(FeedStreamTest, FilesThatCannotBeReadOrAreTooLarge) {
    Recorder recorder;
    EXPECT_EQ(FeedStream::Read("/Home/Res/no-existe.xml", recorder),
              FeedDocument::Status::Unreadable);
    EXPECT_EQ(FeedStream::Read(nullptr, recorder), FeedDocument::Status::Unreadable);
    EXPECT_EQ(FeedStream::ReadMemory("<root/>", FeedDocument::kMaxBytes + 1, recorder),
              FeedDocument::Status::TooLarge);
    std::vector<HeadlineFeed::Record> records(2);
    EXPECT_EQ(HeadlineFeed::Read("/Home/Res/no-existe.xml", FeedLayout::Section, records),
              FeedDocument::Status::Unreadable);
    EXPECT_TRUE(records.empty());
}
