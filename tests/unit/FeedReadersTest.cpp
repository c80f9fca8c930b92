#include "net/FeedDocument.h"
#include "screens/ArticleFeed.h"
#include "screens/GalleryFeed.h"
#include "screens/HeadlineFeed.h"
#include "support/AppHarness.h"
#include "tests/support/HostileText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

FeedDocument::Status Parse(FeedDocument& doc, const std::string& xml) {
    return doc.LoadMemory(xml.data(), xml.size());
}

// Parses `xml` and hands its root to `read`; the document lives only as long
// as the reading, which must copy what it keeps.
template <typename Reader> auto ReadRoot(const std::string& xml, Reader read) {
    FeedDocument doc;
    EXPECT_EQ(Parse(doc, xml), FeedDocument::Status::Ok);
    return read(doc.Root());
}

// A headline feed as its screen reads it: the status, then id=title@pubTime
// per article, and its link, picture and description when it has them.
std::string Headlines(const std::string& xml, FeedLayout layout) {
    static const char* const kStatus[] = {"Ok",     "Unreadable", "TooLarge",         "NotXml",
                                          "NoRoot", "WrongRoot",  "TooManyAttributes"};
    FeedDocument doc;
    const FeedDocument::Status status = Parse(doc, xml);
    std::string out = kStatus[static_cast<int>(status)];
    if (status == FeedDocument::Status::Ok) {
        for (const auto& r : HeadlineFeed::Read(doc.Root(), layout)) {
            out += " " + r.id.ToUtf8() + "=" + r.title.ToUtf8() + "@" + r.pubTime.ToUtf8();
            for (const auto* value : {&r.link, &r.imgUrl, &r.description}) {
                out += value->IsEmpty() ? "" : "," + value->ToUtf8();
            }
        }
    }
    return out;
}

using testing_support::Repeat;

// One article with `count` attributes a0="" a1="" ..., each quoted with `quote`.
std::string ManyAttributes(int count, const std::string& quote = "\"") {
    std::string tag = "<article Title=" + quote + "x" + quote;
    for (int i = 1; i < count; ++i) {
        tag += " a" + std::to_string(i) + "=" + quote + quote;
    }
    return tag + "/>";
}

const FeedLayout kSection = FeedLayout::Section;
const FeedLayout kFront = FeedLayout::FrontPage;

} // namespace

TEST(HeadlineFeedTest, TrickyFeedsReadAsExpected) {
    struct Case {
        FeedLayout layout;
        std::string feed;
        std::string expected;
    };
    const Case cases[] = {
        {kFront, R"(<root><article Title="suelto" PubTime="1"/>
            <group Title="Portada">texto<article Title="a" PubTime="10:00" Link="L" ImgUrl="I" Description="D"/><nota Title="no"/>
            <article Title="b" PubTime="11:00"/></group><group Title="Opinion"><article Title="op"/></group>
            <group Title=""><article Title="c" PubTime="12:00"/></group><group><article Title="d" PubTime="1"/></group>
            <group Title="PORTADA"><article Title="e" PubTime="14:00"/></group>
            <group Title="portada"><group Title="Portada"><article Title="hondo"/></group></group></root>)",
         "Ok IDPORTADA1=a@10:00,L,I,D IDPORTADA2=b@11:00 IDPORTADA3=c@ IDPORTADA4=d@ "
         "IDPORTADA5=e@14:00"},
        {kSection, R"(<root><group Title="Portada"><article Title="x"/></group><article Title="uno"
            PubTime="1"/>texto<Article Title="mal"/><!-- c --><?pi x?><article Title="dos&#233;"><![CDATA[
            <article Title="no"/>]]></article><article/></root>)",
         "Ok IDSECCION1=uno@1 IDSECCION2=dosé@ IDSECCION3=@"},
        // Predefined entities and character references are kept, declared ones never
        // expanded: skipped, or the file refused (a loop, a billion laughs, a system entity).
        {kSection,
         R"(<!DOCTYPE root [<!ENTITY e "ent">]><root><article Title="a&e;b &amp; &lt;c&gt; &#233;&#x41; &quot;q&apos;"/></root>)",
         "Ok IDSECCION1=ab & <c> éA \"q'@"},
        {kSection,
         R"(<!DOCTYPE root [<!ENTITY arts "<article Title='oculto'/>">]><root>&arts;<article Title="visible"/>&arts;</root>)",
         "Ok IDSECCION1=visible@"},
        {kFront,
         R"(<!DOCTYPE root [<!ENTITY g "<group Title='Portada'><article Title='oculto'/></group>">]><root>&g;<group>&g;<article Title="visible"/></group></root>)",
         "Ok IDPORTADA1=visible@"},
        {kSection,
         R"(<!DOCTYPE root [<!ENTITY bucle "&bucle;">]><root><article Title="&bucle;"/></root>)",
         "NotXml"},
        {kSection,
         testing_support::LaughsDoctype("root") +
             "<root><article Title=\"&j;\">&j;</article></root>",
         "NotXml"},
        {kSection,
         R"(<!DOCTYPE root [<!ENTITY x SYSTEM "file:///etc/passwd">]><root><article Title="&x;" Link="l"/></root>)",
         "NotXml"},
        {kSection,
         R"(<!DOCTYPE root SYSTEM "fuera.dtd"><root><article Title="a&indefinida;b" Link="c"/></root>)",
         "Ok IDSECCION1=ab@,c"},
        // What a DTD would default is not read: the tree holds only what the feed says.
        {kSection,
         R"(<!DOCTYPE root [<!ATTLIST article Title CDATA "defecto" Link NMTOKEN #IMPLIED>]><root><article/><article Title="propio" Link="  a  "/></root>)",
         "Ok IDSECCION1=@ IDSECCION2=propio@,a"},
        {kFront,
         R"(<!DOCTYPE root [<!ATTLIST group Title CDATA "Portada">]><root><group><article Title="x" PubTime="9"/></group></root>)",
         "Ok IDPORTADA1=x@"},
        // Breakage anywhere refuses the whole file, even after many good articles.
        {kSection, "<root>" + Repeat("<article Title=\"x\"/>", 1000), "NotXml"},
        {kSection, "<root>" + Repeat("<article Title=\"x\"/>", 1000) + "</root><otro/>", "NotXml"},
        {kSection, "<root>" + Repeat("<a>", 100000) + Repeat("</a>", 100000) + "</root>",
         "NotXml"}, // deeper than the parser's limit
        {kSection, "<!-- solo un comentario -->", "NotXml"},
        // More attributes on one element than the parser can check in linear time:
        // refused before parsing, wherever quotes, comments, CDATA, instructions or an
        // entity value would hide them from a careless count.
        {kSection, "<root>" + ManyAttributes(256) + "</root>", "Ok IDSECCION1=x@"},
        {kSection, "<root>" + ManyAttributes(257) + "</root>", "TooManyAttributes"},
        {kSection, "<root>" + ManyAttributes(257, "'") + "</root>", "TooManyAttributes"},
        {kSection,
         "<root><!-- it's \" --><?pi 'x?><![CDATA[ \"' ]]>" + ManyAttributes(300) + "</root>",
         "TooManyAttributes"},
        {kSection,
         "<!DOCTYPE root [<!-- ' --><!ENTITY e \"<a x='>'/>\">]><root>" + ManyAttributes(300) +
             "</root>",
         "TooManyAttributes"},
        {kSection,
         "<!DOCTYPE root [<!ENTITY e \"<a x=&#34;'&#34;" + ManyAttributes(300, "'").substr(18) +
             "\">]><root>&e;</root>",
         "TooManyAttributes"},
        {kSection,
         "<!DOCTYPE root [<!ENTITY e \"&#60;a a&#61;'' " + ManyAttributes(300, "'").substr(18) +
             "\">]><root>&e;</root>",
         "TooManyAttributes"},
        {kSection, "<!DOCTYPE root [<!ATTLIST article" + Repeat(" a CDATA 'x'", 300) + ">]><root/>",
         "TooManyAttributes"},
        // An '=' in a value, a text or an escaped quote is no attribute.
        {kSection,
         "<root><article Title=\"" + Repeat("a=b ", 300) + "\">" +
             Repeat("<p>" + Repeat("x=y ", 300) + "</p>", 2) + "<![CDATA[<p>" +
             Repeat("c=d ", 300) + "]]></article></root>",
         "Ok IDSECCION1=" + Repeat("a=b ", 300) + "@"},
        {kSection, "<Root/>", "WrongRoot"},
        {kSection, "<rss><root/></rss>", "WrongRoot"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Headlines(c.feed, c.layout), c.expected) << c.feed.substr(0, 200);
    }
}

TEST(ArticleFeedTest, ReadsEveryArticleWithItsBodyCleanedAndNothingElse) {
    const auto records = ReadRoot(
        R"(<root><group><article Title="no"/></group><article Title="T" Author="A" PubDate="D"
        PubTime="H" ImgLink="http://x/p.jpg" ImgDes="pie">Uno&lt;br /&gt;dos &lt;b&gt;</article>
        <Article Title="mal"/><article/><article><![CDATA[tres<br />cuatro]]></article>
        <article>
  <![CDATA[cinco]]></article></root>)",
        ArticleFeed::Read);
    std::string read;
    for (const auto& r : records) {
        for (const auto* value :
             {&r.title, &r.author, &r.pubDate, &r.pubTime, &r.imgLink, &r.imgDes, &r.body}) {
            read += value->ToUtf8() + "|";
        }
        read += " ";
    }
    // An article with no child node has an empty body; whitespace before a
    // CDATA section is the first child, so it is the body.
    EXPECT_EQ(read, "T|A|D|H|http://x/p.jpg|pie|Unodos <b| ||||||| ||||||trescuatro| "
                    "||||||\n  | ");
}

TEST(GalleryFeedTest, NumbersOnlyArticlesUnderTheRoot) {
    const auto records = ReadRoot(R"(<root><article Title="a" ImgUrl="u1" ImgDes="d1"/>
        <foto Title="no"/><group><article Title="hondo"/></group><article Title="b"/></root>)",
                                  GalleryFeed::Read);
    std::string read;
    for (const auto& r : records) {
        read += r.id.ToUtf8() + "=" + r.title.ToUtf8() + "|" + r.imgUrl.ToUtf8() + "|" +
                r.imgDes.ToUtf8() + " ";
    }
    EXPECT_EQ(read, "IDFOTOGALERIA1=a|u1|d1 IDFOTOGALERIA2=b|| ");
}

TEST(FeedDocumentTest, ParserReuseKeepsEveryDocumentWholeAndIndependent) {
    // A document kept while later ones are parsed, one of them so full of
    // distinct names that the thread's parser is replaced: its names must stay readable.
    FeedDocument kept;
    ASSERT_EQ(Parse(kept, "<root><article Title=\"primero\"/></root>"), FeedDocument::Status::Ok);
    std::string manyNames = "<root>";
    for (int i = 0; i < 6000; ++i) {
        manyNames += "<n" + std::to_string(i) + "/>";
    }
    manyNames += "<article Title=\"ultimo\"/></root>";
    for (int round = 0; round < 2; ++round) {
        FeedDocument many;
        ASSERT_EQ(Parse(many, manyNames), FeedDocument::Status::Ok);
        FeedElement last = many.Root().FirstChildElement();
        while (last.NextElement()) {
            last = last.NextElement();
        }
        EXPECT_EQ(last.Attribute("Title").ToUtf8(), "ultimo");
    }
    EXPECT_EQ(kept.Root().FirstChildElement().Attribute("Title").ToUtf8(), "primero");

    // A failed parse and a declared encoding leave nothing behind for the next one.
    FeedDocument broken;
    EXPECT_EQ(Parse(broken, "<root><article Title=\"x\"></root>"), FeedDocument::Status::NotXml);
    FeedDocument latin;
    ASSERT_EQ(Parse(latin, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><root a=\"\xF1\"/>"),
              FeedDocument::Status::Ok);
    FeedDocument plain;
    ASSERT_EQ(Parse(plain, "<root a=\"ñ\"/>"), FeedDocument::Status::Ok);
    EXPECT_EQ(plain.Root().Attribute("a").ToUtf8(), "ñ");
    EXPECT_EQ(latin.Root().Attribute("a").ToUtf8(), "ñ");
}

TEST(FeedDocumentTest, FeedsAtTheSizeCapKeepOnlyTheirFirstRows) {
    // As many of the smallest articles as the cap holds, as a section, a front
    // page, an article feed and a gallery.
    std::string articles;
    int count = 0;
    while (articles.size() + 64 < FeedDocument::kMaxBytes) {
        articles += "<article Title=\"t" + std::to_string(count++) + "\"/>";
    }
    const std::string flat = "<root>" + articles + "</root>";
    const std::size_t rows = FeedParser::kMaxRows;
    FeedDocument doc;
    ASSERT_EQ(Parse(doc, flat), FeedDocument::Status::Ok);
    int kept = 0;
    for (FeedElement e = doc.Root().FirstChildElement(); e; e = e.NextElement()) {
        ++kept;
    }
    EXPECT_GE(kept, static_cast<int>(rows));
    EXPECT_LT(kept, count / 2) << "the tree must not hold the whole feed";
    const auto section = HeadlineFeed::Read(doc.Root(), kSection);
    ASSERT_EQ(section.size(), rows);
    EXPECT_EQ(section.front().title.ToUtf8(), "t0");
    EXPECT_EQ(section.back().title.ToUtf8(), "t" + std::to_string(rows - 1));
    EXPECT_EQ(ArticleFeed::Read(doc.Root()).size(), rows);
    EXPECT_EQ(GalleryFeed::Read(doc.Root()).size(), rows);
    const std::string half = articles.substr(0, articles.find("<article", articles.size() / 3));
    const std::string grouped =
        "<root><group Title=\"Portada\">" + half + "</group><group>" + half + "</group></root>";
    ASSERT_EQ(Parse(doc, grouped), FeedDocument::Status::Ok);
    EXPECT_EQ(HeadlineFeed::Read(doc.Root(), kFront).size(), rows);
    // What is not kept is still parsed: a fault past the cut refuses the feed.
    const std::string broken = "<root>" + articles + "<roto></root>";
    EXPECT_EQ(Parse(doc, broken), FeedDocument::Status::NotXml);
}

TEST(FeedDocumentTest, CacheFilesAreReadUnderHomeOnlyAndNeverTooLarge) {
    testing_support::TestRuntime runtime;
    const std::filesystem::path res = std::filesystem::path(runtime.Home()) / "Res";
    std::filesystem::create_directories(res);
    const std::string feed = "<root><article Title=\"a\"/></root>";
    std::ofstream(res / "a.xml") << feed;
    std::ofstream(res / "big.xml") << "<root/>";
    std::filesystem::resize_file(res / "big.xml", FeedDocument::kMaxBytes + 1);

    FeedDocument doc;
    EXPECT_EQ(doc.Load("/Home/Res/a.xml"), FeedDocument::Status::Ok);
    EXPECT_EQ(doc.Root().FirstChildElement().Attribute("Title").ToUtf8(), "a");
    EXPECT_EQ(doc.Load("/Home/Res/big.xml"), FeedDocument::Status::TooLarge);
    EXPECT_EQ(doc.LoadMemory(feed.data(), FeedDocument::kMaxBytes + 1),
              FeedDocument::Status::TooLarge);
    EXPECT_EQ(doc.Load("/Home/Res/no-existe.xml"), FeedDocument::Status::Unreadable);
    EXPECT_EQ(doc.Load("/Home/Res/../../a.xml"), FeedDocument::Status::Unreadable);
    EXPECT_EQ(doc.Load(nullptr), FeedDocument::Status::Unreadable);
    EXPECT_FALSE(doc.Root());
}
