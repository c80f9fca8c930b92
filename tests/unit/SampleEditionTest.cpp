#include "feedserver/SampleEdition.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include "feedserver/FeedServer.h"

using namespace pregonero::feeds;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& file) {
    std::ostringstream bytes;
    bytes << std::ifstream(file, std::ios::binary).rdbuf();
    return bytes.str();
}

std::map<fs::path, std::string> Files(const fs::path& dir) {
    std::map<fs::path, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), dir)] = ReadAll(entry.path());
        }
    }
    return files;
}

class SampleEditionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = fs::temp_directory_path() / ("sample-edition-" + std::to_string(::getpid()));
        std::string error;
        ASSERT_TRUE(WriteSampleEdition(dir_.string(), &error)) << error;
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }

    static fs::path dir_;
};

fs::path SampleEditionTest::dir_;

TEST_F(SampleEditionTest, EveryFeedParsesAndEveryLinkNamesAFileOfTheEdition) {
    using Doc = std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)>;
    const std::string token = std::string(FeedServer::kToken) + "/";
    int feeds = 0;
    int links = 0;
    for (const auto& [file, text] : Files(dir_)) {
        if (file.extension() != ".xml") {
            continue;
        }
        ++feeds;
        Doc doc(xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR),
                xmlFreeDoc);
        ASSERT_TRUE(doc) << file;
        for (auto at = text.find(token); at != std::string::npos; at = text.find(token, at)) {
            at += token.size();
            const std::string target = text.substr(at, text.find('"', at) - at);
            EXPECT_TRUE(fs::is_regular_file(dir_ / target)) << file << ": " << target;
            ++links;
        }
        // The reader takes an article's body from its first child node, so
        // nothing, not even white space, may come before the CDATA section.
        if (*file.begin() == "notas") {
            xmlNode* article = xmlDocGetRootElement(doc.get())->children;
            while (article != nullptr && article->type != XML_ELEMENT_NODE) {
                article = article->next;
            }
            ASSERT_NE(article, nullptr) << file;
            ASSERT_NE(article->children, nullptr) << file;
            EXPECT_EQ(article->children->type, XML_CDATA_SECTION_NODE) << file;
        }
    }
    EXPECT_GT(feeds, 100);
    EXPECT_GT(links, feeds);
}

TEST_F(SampleEditionTest, GeneratingAgainGivesIdenticalBytes) {
    const fs::path again = dir_.string() + "-again";
    std::string error;
    ASSERT_TRUE(WriteSampleEdition(again.string(), &error)) << error;
    const bool same = Files(dir_) == Files(again);
    fs::remove_all(again);
    EXPECT_TRUE(same);
}

} // namespace
