#include "net/FeedDocument.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace {

FeedDocument::Status Parse(FeedDocument& doc, const std::string& xml) {
    return doc.LoadMemory(xml.data(), xml.size());
}

std::string Gzip(const std::string& data) {
    z_stream z{};
    deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(compressBound(static_cast<uLong>(data.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

} // namespace

TEST(FeedDocumentTest, RootMustBeNamedRootExactly) {
    FeedDocument doc;
    EXPECT_EQ(Parse(doc, "<root/>"), FeedDocument::Status::Ok);
    EXPECT_EQ(Parse(doc, "<Root/>"), FeedDocument::Status::WrongRoot);
    EXPECT_EQ(Parse(doc, "<rss><root/></rss>"), FeedDocument::Status::WrongRoot);
    EXPECT_EQ(Parse(doc, ""), FeedDocument::Status::NotXml);
    EXPECT_EQ(Parse(doc, "esto no es XML"), FeedDocument::Status::NotXml);
    EXPECT_EQ(Parse(doc, "<root><article></root>"), FeedDocument::Status::NotXml);
    // A gzip body saved as .xml is not inflated behind the reader's back.
    EXPECT_EQ(Parse(doc, Gzip("<root><article Title=\"x\"/></root>")),
              FeedDocument::Status::NotXml);
}

TEST(FeedDocumentTest, AttributesAndBodiesReadAsTheReadersNeedThem) {
    FeedDocument doc;
    ASSERT_EQ(Parse(doc, "<root>texto<article Title=\"Canción &amp; más\" Vacio=\"\">"
                         "<![CDATA[<p>Hola</p>]]><b/></article><!-- c --><article/></root>"),
              FeedDocument::Status::Ok);
    FeedElement article = doc.Root().FirstChildElement();
    ASSERT_TRUE(article);
    EXPECT_TRUE(article.IsNamed("article"));
    EXPECT_FALSE(article.IsNamed("Article"));
    EXPECT_EQ(article.Attribute("Title").ToUtf8(), "Canción & más");
    EXPECT_EQ(article.Attribute("Vacio").ToUtf8(), "");
    EXPECT_EQ(article.Attribute("Link").ToUtf8(), "");
    EXPECT_EQ(article.FirstChildText().ToUtf8(), "<p>Hola</p>");
    FeedElement second = article.NextElement();
    ASSERT_TRUE(second);
    EXPECT_EQ(second.FirstChildText().ToUtf8(), ""); // no child node at all
    EXPECT_FALSE(second.NextElement());
}

TEST(FeedDocumentTest, DeclaredLatin1IsConvertedAndInvalidUtf8ReadsAsEmpty) {
    FeedDocument latin;
    std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"
                         "<root><article Title=\"Espa\xF1"
                         "a \xBFqu\xE9?\"/></root>";
    ASSERT_EQ(Parse(latin, latin1), FeedDocument::Status::Ok);
    EXPECT_EQ(latin.Root().FirstChildElement().Attribute("Title").ToUtf8(), "España ¿qué?");

    // Undeclared Latin-1 bytes are not UTF-8: the parser refuses the document.
    FeedDocument bad;
    EXPECT_EQ(Parse(bad, "<root><article Title=\"caf\xE9\"/></root>"),
              FeedDocument::Status::NotXml);
}

TEST(FeedDocumentTest, HostileDocumentsAreRefusedOrInert) {
    FeedDocument laughs;
    std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE root [<!ENTITY a \"aaaaaaaaaa\">";
    char prev = 'a';
    for (char c = 'b'; c <= 'j'; ++c) {
        bomb += std::string("<!ENTITY ") + c + " \"";
        for (int i = 0; i < 10; ++i) {
            bomb += std::string("&") + prev + ";";
        }
        bomb += "\">";
        prev = c;
    }
    bomb += "]><root><article Title=\"&j;\">&j;</article></root>";
    FeedDocument::Status status = Parse(laughs, bomb);
    if (status == FeedDocument::Status::Ok) {
        FeedElement article = laughs.Root().FirstChildElement();
        EXPECT_EQ(article.Attribute("Title").GetLength(), 0); // never expanded
        EXPECT_EQ(article.FirstChildText().GetLength(), 0);
    }

    FeedDocument external;
    std::string xxe = "<?xml version=\"1.0\"?><!DOCTYPE root [<!ENTITY x SYSTEM "
                      "\"file:///etc/passwd\">]><root><article Title=\"&x;\">&x;</article></root>";
    if (Parse(external, xxe) == FeedDocument::Status::Ok) {
        FeedElement article = external.Root().FirstChildElement();
        EXPECT_EQ(article.Attribute("Title").ToUtf8(), "");
        EXPECT_EQ(article.FirstChildText().ToUtf8().find("root:"), std::string::npos);
    }

    FeedDocument deep;
    std::string nested = "<root>";
    for (int i = 0; i < 100000; ++i) {
        nested += "<a>";
    }
    EXPECT_EQ(Parse(deep, nested), FeedDocument::Status::NotXml);
}

TEST(FeedDocumentTest, ParserReuseKeepsEveryDocumentWholeAndIndependent) {
    // A document kept while later ones are parsed, one of them so full of
    // distinct names that the parser is replaced: its names must stay readable.
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
        EXPECT_TRUE(last.IsNamed("article"));
        EXPECT_EQ(last.Attribute("Title").ToUtf8(), "ultimo");
    }
    EXPECT_TRUE(kept.Root().FirstChildElement().IsNamed("article"));
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
