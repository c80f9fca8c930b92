#include "feedserver/SampleEdition.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <spng.h>
#include <turbojpeg.h>

#include <httplib.h>

#include "feedserver/FeedServer.h"

using namespace pregonero::feeds;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kSectionFeeds = {
    "/mobile/mexico.xml",   "/mobile/mundo.xml",      "/mobile/estados.xml",
    "/mobile/df.xml",       "/mobile/edomex.xml",     "/mobile/notas/vialidad.xml",
    "/mobile/finanzas.xml", "/mobile/deportes.xml",   "/mobile/espectaculos.xml",
    "/mobile/estilos.xml",  "/mobile/computo.xml",    "/mobile/destinos.xml",
    "/mobile/cultura.xml",  "/mobile/autopistas.xml", "/mobile/ciencia.xml",
    "/mobile/sociedad.xml", "/mobile/editorial.xml",  "/mobile/pregoneromxm.xml",
    "/mobile/fg.xml"};
const std::string kToken = "{{FEED_SERVER}}";

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using Doc = std::unique_ptr<xmlDoc, DocFree>;

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

Doc Parse(const fs::path& file) {
    return Doc(xmlReadFile(file.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR));
}

std::string Attribute(xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    std::string text = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

bool HasAttribute(xmlNode* node, const char* name) {
    return xmlHasProp(node, reinterpret_cast<const xmlChar*>(name)) != nullptr;
}

std::vector<xmlNode*> Elements(xmlNode* parent, const char* name) {
    std::vector<xmlNode*> found;
    for (xmlNode* child = parent->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE &&
            xmlStrEqual(child->name, reinterpret_cast<const xmlChar*>(name))) {
            found.push_back(child);
        }
    }
    return found;
}

size_t CodePoints(const std::string& utf8) {
    size_t count = 0;
    for (unsigned char c : utf8) {
        count += (c & 0xC0) != 0x80;
    }
    return count;
}

class SampleEditionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = fs::temp_directory_path() / ("sample-edition-" + std::to_string(::getpid()));
        std::string error;
        ASSERT_TRUE(WriteSampleEdition(dir_.string(), &error)) << error;
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }

    // The file a {{FEED_SERVER}} link names, after checking its form.
    static fs::path Target(const std::string& link) {
        EXPECT_EQ(link.rfind(kToken + "/", 0), 0u) << link;
        return dir_ / link.substr(kToken.size() + 1);
    }

    // Every link of every element under parent must name a file that exists.
    static void ExpectLinksExist(xmlNode* parent, const fs::path& feed,
                                 std::set<fs::path>* targets) {
        for (xmlNode* article : Elements(parent, "article")) {
            for (const char* name : {"Link", "ImgUrl", "ImgLink"}) {
                const std::string link = Attribute(article, name);
                if (!link.empty()) {
                    EXPECT_TRUE(fs::is_regular_file(Target(link))) << feed << ": " << link;
                    targets->insert(Target(link));
                }
            }
        }
    }

    static fs::path dir_;
};

fs::path SampleEditionTest::dir_;

TEST_F(SampleEditionTest, FrontPageHasTheThreeKindsOfGroup) {
    Doc doc = Parse(dir_ / "mobile/2notashome.xml");
    ASSERT_TRUE(doc);
    xmlNode* root = xmlDocGetRootElement(doc.get());
    ASSERT_STREQ(reinterpret_cast<const char*>(root->name), "root");
    std::map<std::string, size_t> articlesByGroup;
    for (xmlNode* group : Elements(root, "group")) {
        ASSERT_TRUE(HasAttribute(group, "Title"));
        articlesByGroup[Attribute(group, "Title")] = Elements(group, "article").size();
        std::set<fs::path> targets;
        ExpectLinksExist(group, "front page", &targets);
    }
    EXPECT_EQ(articlesByGroup.size(), 3u);
    EXPECT_GE(articlesByGroup["Portada"], 8u);
    EXPECT_GE(articlesByGroup[""], 3u);
    EXPECT_GE(articlesByGroup["Opinion"], 1u);
}

TEST_F(SampleEditionTest, SectionsArticlesAndGalleriesAreCompleteAndLinked) {
    std::set<fs::path> articles;
    std::set<fs::path> galleries;
    int withoutThumbnail = 0;
    for (const auto& path : kSectionFeeds) {
        Doc doc = Parse(dir_ / path.substr(1));
        ASSERT_TRUE(doc) << path;
        xmlNode* root = xmlDocGetRootElement(doc.get());
        ASSERT_STREQ(reinterpret_cast<const char*>(root->name), "root");
        const auto headlines = Elements(root, "article");
        EXPECT_GE(headlines.size(), 8u) << path;
        EXPECT_LE(headlines.size(), 15u) << path;
        for (xmlNode* headline : headlines) {
            for (const char* name : {"Title", "Link", "PubTime", "Description"}) {
                EXPECT_FALSE(Attribute(headline, name).empty()) << path << " " << name;
            }
            withoutThumbnail += !HasAttribute(headline, "ImgUrl");
            (path == "/mobile/fg.xml" ? galleries : articles)
                .insert(Target(Attribute(headline, "Link")));
        }
        std::set<fs::path> targets;
        ExpectLinksExist(root, path, &targets);
    }
    EXPECT_GT(withoutThumbnail, 0);
    EXPECT_LT(withoutThumbnail, 60);

    int withoutPicture = 0;
    for (const auto& file : articles) {
        Doc doc = Parse(file);
        ASSERT_TRUE(doc) << file;
        const auto elements = Elements(xmlDocGetRootElement(doc.get()), "article");
        ASSERT_EQ(elements.size(), 1u) << file;
        xmlNode* article = elements[0];
        for (const char* name : {"Title", "Author", "PubDate", "PubTime"}) {
            EXPECT_FALSE(Attribute(article, name).empty()) << file << " " << name;
        }
        withoutPicture += Attribute(article, "ImgLink").empty();
        // The reader takes the body from the first child node, so nothing,
        // not even white space, may come before the CDATA section.
        ASSERT_TRUE(article->children && article->children->type == XML_CDATA_SECTION_NODE) << file;
        const std::string body = reinterpret_cast<const char*>(article->children->content);
        EXPECT_GE(CodePoints(body), 600u) << file;
        EXPECT_LE(CodePoints(body), 3000u) << file;
        EXPECT_NE(body.find("<p>"), std::string::npos) << file;
        EXPECT_NE(body.find("&#13;"), std::string::npos) << file;
        std::set<fs::path> targets;
        ExpectLinksExist(xmlDocGetRootElement(doc.get()), file, &targets);
    }
    EXPECT_GT(withoutPicture, 0);
    EXPECT_LT(withoutPicture, static_cast<int>(articles.size()) / 3);

    ASSERT_GE(galleries.size(), 3u);
    for (const auto& file : galleries) {
        Doc doc = Parse(file);
        ASSERT_TRUE(doc) << file;
        const auto photos = Elements(xmlDocGetRootElement(doc.get()), "article");
        EXPECT_GE(photos.size(), 3u) << file;
        EXPECT_LE(photos.size(), 12u) << file;
        for (xmlNode* photo : photos) {
            EXPECT_FALSE(Attribute(photo, "ImgUrl").empty()) << file;
        }
        std::set<fs::path> targets;
        ExpectLinksExist(xmlDocGetRootElement(doc.get()), file, &targets);
    }
}

TEST_F(SampleEditionTest, BodiesCarryEveryFragmentTheCleanUpRemovesAndSpanishText) {
    std::string all;
    for (const auto& entry : fs::recursive_directory_iterator(dir_ / "notas")) {
        all += ReadAll(entry.path());
    }
    for (const char* fragment : {"&#13;", "<p>", "</p>", "<em>", "</em>", "<strong>", "</strong>",
                                 "<br />", "<a href=\"", "</ a>"}) {
        EXPECT_NE(all.find(fragment), std::string::npos) << fragment;
    }
    for (const char* letter : {"á", "é", "í", "ó", "ú", "ñ", "¿", "¡"}) {
        EXPECT_NE(all.find(letter), std::string::npos) << letter;
    }
    EXPECT_EQ(all.find(" a el "), std::string::npos);
}

TEST_F(SampleEditionTest, PicturesDecodeAtRealisticSizesWithinBudget) {
    int jpegs = 0;
    int pngs = 0;
    uintmax_t total = 0;
    std::unique_ptr<void, int (*)(void*)> decoder(tjInitDecompress(), tjDestroy);
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
        total += entry.is_regular_file() ? entry.file_size() : 0;
    }
    for (const auto& entry : fs::directory_iterator(dir_ / "img")) {
        const std::string bytes = ReadAll(entry.path());
        int width = 0;
        int height = 0;
        if (entry.path().extension() == ".jpg") {
            int subsampling = 0;
            int colours = 0;
            ASSERT_EQ(tjDecompressHeader3(decoder.get(),
                                          reinterpret_cast<const unsigned char*>(bytes.data()),
                                          bytes.size(), &width, &height, &subsampling, &colours),
                      0)
                << entry.path();
            ++jpegs;
        } else {
            ASSERT_EQ(entry.path().extension(), ".png");
            std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> ctx(spng_ctx_new(0), spng_ctx_free);
            spng_set_png_buffer(ctx.get(), bytes.data(), bytes.size());
            spng_ihdr header{};
            ASSERT_EQ(spng_get_ihdr(ctx.get(), &header), 0) << entry.path();
            width = static_cast<int>(header.width);
            height = static_cast<int>(header.height);
            ++pngs;
        }
        EXPECT_GE(width, 640) << entry.path();
        EXPECT_LE(width, 1600) << entry.path();
        EXPECT_GE(height, 480) << entry.path();
        EXPECT_LE(height, 1200) << entry.path();
    }
    EXPECT_GT(jpegs, pngs);
    EXPECT_GT(pngs, 0);
    EXPECT_LT(total, 15u * 1024 * 1024);
}

TEST_F(SampleEditionTest, GeneratingAgainGivesIdenticalBytes) {
    const fs::path again = dir_.string() + "-again";
    std::string error;
    ASSERT_TRUE(WriteSampleEdition(again.string(), &error)) << error;
    std::map<fs::path, std::string> first;
    std::map<fs::path, std::string> second;
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
        if (entry.is_regular_file()) {
            first[fs::relative(entry.path(), dir_)] = ReadAll(entry.path());
        }
    }
    for (const auto& entry : fs::recursive_directory_iterator(again)) {
        if (entry.is_regular_file()) {
            second[fs::relative(entry.path(), again)] = ReadAll(entry.path());
        }
    }
    fs::remove_all(again);
    EXPECT_EQ(first.size(), second.size());
    for (const auto& [file, bytes] : first) {
        EXPECT_TRUE(second.count(file) && second[file] == bytes) << file;
    }
}

TEST_F(SampleEditionTest, ServedEditionLinksResolveOnTheServer) {
    FeedServer server;
    ASSERT_TRUE(server.Start(dir_.string()));
    httplib::Client client("127.0.0.1", server.Port());
    client.set_connection_timeout(5);
    client.set_read_timeout(5);
    auto feed = client.Get("/mobile/fg.xml");
    ASSERT_TRUE(feed);
    EXPECT_EQ(feed->status, 200);
    EXPECT_EQ(feed->body.find(kToken), std::string::npos);
    const std::string prefix = "Link=\"" + server.BaseUrl();
    const auto at = feed->body.find(prefix);
    ASSERT_NE(at, std::string::npos);
    const auto end = feed->body.find('"', at + prefix.size());
    auto gallery = client.Get(feed->body.substr(at + prefix.size(), end - at - prefix.size()));
    ASSERT_TRUE(gallery);
    EXPECT_EQ(gallery->status, 200);
    EXPECT_NE(gallery->body.find("ImgUrl=\"" + server.BaseUrl() + "/img/"), std::string::npos);
}

TEST(SampleEditionFailureTest, ReportsAnUnwritableDirectory) {
    std::string error;
    EXPECT_FALSE(WriteSampleEdition("/proc/not-a-place-for-feeds", &error));
    EXPECT_FALSE(error.empty());
}

} // namespace
