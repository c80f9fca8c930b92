#include "net/FeedDocument.h"
#include "screens/ArticleFeed.h"
#include "screens/GalleryFeed.h"
#include "screens/HeadlineFeed.h"
#include "screens/SectionMenu.h"
#include "support/TreeHeadlines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Parses `xml` and hands its root to `read`; the document lives only as long
// as the reading, which must copy what it keeps.
template <typename Reader> auto ReadRoot(const std::string& xml, Reader read) {
    FeedDocument doc;
    EXPECT_EQ(doc.LoadMemory(xml.data(), xml.size()), FeedDocument::Status::Ok);
    return read(doc.Root());
}

std::vector<HeadlineFeed::Record> ReadXml(const std::string& xml, FeedLayout layout) {
    std::vector<HeadlineFeed::Record> records;
    EXPECT_EQ(HeadlineFeed::ReadMemory(xml.data(), xml.size(), layout, records),
              FeedDocument::Status::Ok);
    return records;
}

std::string Ids(const std::vector<HeadlineFeed::Record>& records) {
    std::string out;
    for (const auto& r : records) {
        out += r.id.ToUtf8() + "=" + r.title.ToUtf8() + "@" + r.pubTime.ToUtf8() + " ";
    }
    return out;
}

const char* kFrontPage = R"(<?xml version="1.0" encoding="UTF-8"?>
<root>
  <article Title="suelto" PubTime="1"/>
  <group Title="Portada">texto<article Title="a" PubTime="10:00" Link="L" ImgUrl="I"
      Description="D"/><nota Title="no"/><article Title="b" PubTime="11:00"/></group>
  <group Title="Opinion"><article Title="op" PubTime="9"/></group>
  <group Title=""><article Title="c" PubTime="12:00"/></group>
  <group><article Title="d" PubTime="13:00"/></group>
  <group Title="PORTADA"><article Title="e" PubTime="14:00"/></group>
  <group Title="portada"><group Title="Portada"><article Title="hondo"/></group></group>
</root>)";

} // namespace

TEST(HeadlineFeedTest, FrontPageReadsPortadaAndUntitledGroupsNumberedAcrossThem) {
    const auto records = ReadXml(kFrontPage, FeedLayout::FrontPage);
    EXPECT_EQ(Ids(records), "IDPORTADA1=a@10:00 IDPORTADA2=b@11:00 IDPORTADA3=c@ "
                            "IDPORTADA4=d@ IDPORTADA5=e@14:00 ");
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0].link.ToUtf8(), "L");
    EXPECT_EQ(records[0].imgUrl.ToUtf8(), "I");
    EXPECT_EQ(records[0].description.ToUtf8(), "D");
}

TEST(HeadlineFeedTest, SectionReadsOnlyArticlesUnderTheRoot) {
    const auto records = ReadXml(R"(<root><group Title="Portada"><article Title="x"/></group>
        <article Title="uno" PubTime="1"/>texto<Article Title="mal"/>
        <article Title="dos&#233;"/><article/></root>)",
                                 FeedLayout::Section);
    EXPECT_EQ(Ids(records), "IDSECCION1=uno@1 IDSECCION2=dosé@ IDSECCION3=@ ");
    EXPECT_TRUE(
        ReadXml("<root><group><article Title=\"x\"/></group></root>", FeedLayout::Section).empty());
}

TEST(ArticleFeedTest, ReadsEveryArticleWithItsBodyCleanedAndNothingElse) {
    const auto records = ReadRoot(
        R"(<root><group><article Title="no"/></group><article Title="T" Author="A" PubDate="D"
        PubTime="H" ImgLink="http://x/p.jpg" ImgDes="pie">Uno&lt;br /&gt;dos &lt;b&gt;</article>
        <Article Title="mal"/><article/></root>)",
        ArticleFeed::Read);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].title.ToUtf8(), "T");
    EXPECT_EQ(records[0].author.ToUtf8(), "A");
    EXPECT_EQ(records[0].pubDate.ToUtf8(), "D");
    EXPECT_EQ(records[0].pubTime.ToUtf8(), "H");
    EXPECT_EQ(records[0].imgLink.ToUtf8(), "http://x/p.jpg");
    EXPECT_EQ(records[0].imgDes.ToUtf8(), "pie");
    EXPECT_EQ(records[0].body.ToUtf8(), "Unodos <b");
    EXPECT_TRUE(records[1].body.IsEmpty()); // no child node: an empty body
    EXPECT_TRUE(records[1].imgLink.IsEmpty());
}

TEST(GalleryFeedTest, NumbersOnlyArticlesUnderTheRoot) {
    const auto records = ReadRoot(R"(<root><article Title="a" ImgUrl="u1" ImgDes="d1"/>
        <foto Title="no"/><group><article Title="hondo"/></group><article Title="b"/></root>)",
                                  GalleryFeed::Read);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].id.ToUtf8(), "IDFOTOGALERIA1");
    EXPECT_EQ(records[0].imgUrl.ToUtf8(), "u1");
    EXPECT_EQ(records[0].imgDes.ToUtf8(), "d1");
    EXPECT_EQ(records[1].id.ToUtf8(), "IDFOTOGALERIA2");
    EXPECT_EQ(records[1].title.ToUtf8(), "b");
    EXPECT_TRUE(records[1].imgUrl.IsEmpty());
}

TEST(SectionMenuTest, ActionsMapToEventsByIdNotPosition) {
    EXPECT_EQ(SectionMenu::EventForAction(200), 100);
    EXPECT_EQ(SectionMenu::EventForAction(210), 110);
    EXPECT_EQ(SectionMenu::EventForAction(211), -1);
    EXPECT_EQ(SectionMenu::EventForAction(212), 111);
    EXPECT_EQ(SectionMenu::EventForAction(213), 112); // "Destinos"
    EXPECT_EQ(SectionMenu::EventForAction(214), 113); // "Letras + Artes"
    EXPECT_EQ(SectionMenu::EventForAction(220), 119); // "Fotogaleria"
    for (int id : {100, 199, 221, 222, 101, 0, -5}) {
        EXPECT_EQ(SectionMenu::EventForAction(id), -1) << id;
    }
}
