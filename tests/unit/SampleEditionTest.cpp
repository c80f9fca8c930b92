#include "feedserver/SampleEdition.h"

#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <cwchar>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include "feedserver/EditionWriter.h"
#include "feedserver/FeedServer.h"
#include "net/FeedDocument.h"
#include "screens/ArticleCleanup.h"
#include "screens/ArticleFeed.h"
#include "tests/support/ReadAll.h"

using namespace pregonero::feeds;
namespace fs = std::filesystem;

namespace {

std::map<fs::path, std::string> Files(const fs::path& dir) {
    std::map<fs::path, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), dir)] = testing_support::ReadAll(entry.path());
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

// What a reader sees of each article body after the clean-up: paragraphs of
// plain text, one a line, sentences apart, nothing of the markup left. The
// few marked-up articles instead carry every fragment the clean-up removes.
TEST_F(SampleEditionTest, ArticleBodiesReadCleanlyOnceCleanedUp) {
    const std::string markedUpFolder = std::string("notas/") + EditionWriter::kMarkedUpSection;
    int clean = 0;
    int markedUp = 0;
    for (const auto& [file, text] : Files(dir_)) {
        if (*file.begin() != "notas") {
            continue;
        }
        SCOPED_TRACE(file.string());
        FeedDocument doc;
        ASSERT_EQ(doc.LoadMemory(text.data(), text.size()), FeedDocument::Status::Ok);
        const auto articles = ArticleFeed::Read(doc.Root());
        ASSERT_EQ(articles.size(), 1u);
        const std::string body = articles[0].body.ToUtf8();
        const int number = std::stoi(file.stem().string());
        if (file.parent_path() == markedUpFolder && number <= EditionWriter::kMarkedUpArticles) {
            ++markedUp;
            const std::string raw = doc.Root().FirstChildElement().FirstChildText().ToUtf8();
            for (const wchar_t* fragment : ArticleCleanup::kFragments) {
                const std::string wanted(fragment, fragment + std::wcslen(fragment));
                EXPECT_NE(raw.find(wanted), std::string::npos) << wanted;
            }
            continue;
        }
        ++clean;
        EXPECT_EQ(body.find_first_of("<>\"&{}\r\t"), std::string::npos) << body;
        EXPECT_EQ(body.find("http"), std::string::npos) << body;
        std::istringstream lines(body);
        int paragraphs = 0;
        for (std::string line; std::getline(lines, line); ++paragraphs) {
            ASSERT_FALSE(line.empty()) << body;
            EXPECT_NE(line.front(), ' ') << line;
            EXPECT_NE(line.back(), ' ') << line;
            EXPECT_EQ(line.find("  "), std::string::npos) << line;
            // A sentence's end is followed by a space or the end of the line.
            for (std::size_t at = line.find_first_of(".?!"); at != std::string::npos;
                 at = line.find_first_of(".?!", at + 1)) {
                EXPECT_TRUE(at + 1 == line.size() || line[at + 1] == ' ') << line.substr(at);
            }
        }
        EXPECT_GE(paragraphs, 2) << body;
    }
    EXPECT_EQ(markedUp, EditionWriter::kMarkedUpArticles);
    EXPECT_GT(clean, 150);
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
