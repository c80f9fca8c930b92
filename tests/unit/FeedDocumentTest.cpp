#include "net/FeedDocument.h"
#include "support/AppHarness.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

FeedDocument::Status Parse(FeedDocument& doc, const std::string& xml) {
    return doc.LoadMemory(xml.data(), xml.size());
}

} // namespace

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

TEST(FeedDocumentTest, CacheFilesAreReadUnderHomeOnlyAndNeverInflatedOrTooLarge) {
    testing_support::TestRuntime runtime;
    const std::filesystem::path res = std::filesystem::path(runtime.Home()) / "Res";
    std::filesystem::create_directories(res);
    const std::string feed = "<root><article Title=\"a\"/></root>";
    std::ofstream(res / "a.xml") << feed;
    gzFile gz = gzopen((res / "gz.xml").c_str(), "wb");
    gzwrite(gz, feed.data(), static_cast<unsigned>(feed.size()));
    gzclose(gz);
    std::ofstream(res / "big.xml") << "<root/>";
    std::filesystem::resize_file(res / "big.xml", FeedDocument::kMaxBytes + 1);

    FeedDocument doc;
    EXPECT_EQ(doc.Load("/Home/Res/a.xml"), FeedDocument::Status::Ok);
    EXPECT_EQ(doc.Root().FirstChildElement().Attribute("Title").ToUtf8(), "a");
    // A gzip body saved as .xml is not inflated behind the reader's back.
    EXPECT_EQ(doc.Load("/Home/Res/gz.xml"), FeedDocument::Status::NotXml);
    EXPECT_EQ(doc.Load("/Home/Res/big.xml"), FeedDocument::Status::TooLarge);
    EXPECT_EQ(doc.LoadMemory(feed.data(), FeedDocument::kMaxBytes + 1),
              FeedDocument::Status::TooLarge);
    EXPECT_EQ(doc.Load("/Home/Res/no-existe.xml"), FeedDocument::Status::Unreadable);
    EXPECT_EQ(doc.Load("/Home/Res/../../a.xml"), FeedDocument::Status::Unreadable);
    EXPECT_EQ(doc.Load(nullptr), FeedDocument::Status::Unreadable);
    EXPECT_FALSE(doc.Root());
}
