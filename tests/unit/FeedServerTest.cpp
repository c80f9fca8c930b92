#include "feedserver/FeedServer.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <tuple>
#include <unistd.h>

#include <curl/curl.h>
#include <gtest/gtest.h>

#include "feedserver/faults/FaultRuleParser.h"
#include "feedserver/faults/FaultyFeedServer.h"

using namespace pregonero::feeds;
namespace fs = std::filesystem;

namespace {

using Curl = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;

struct Fetch {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string body;
};

size_t Append(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

// One bounded GET, so a misbehaving server fails the test instead of hanging
// it; with `accept`, that Accept-Encoding, the body decoded unless `raw`.
Fetch Get(const std::string& url, const char* accept = nullptr, bool raw = false) {
    Curl curl(curl_easy_init(), curl_easy_cleanup);
    Fetch fetch;
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_ACCEPT_ENCODING, accept);
    curl_easy_setopt(curl.get(), CURLOPT_HTTP_CONTENT_DECODING, raw ? 0L : 1L);
    curl_easy_setopt(curl.get(), CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, 10000L);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &fetch.body);
    fetch.code = curl_easy_perform(curl.get());
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &fetch.status);
    return fetch;
}

void WriteFile(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

class FeedServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = fs::temp_directory_path() /
                ("feedserver-test-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        root_ = base_ / "root";
        WriteFile(root_ / "mobile/feed.xml", "<root/>");
        WriteFile(base_ / "secret.txt", "outside the root");
        ASSERT_TRUE(server_.Start(root_.string()));
    }
    void TearDown() override {
        server_.Stop();
        fs::remove_all(base_);
    }
    std::string Url(const std::string& path) const { return server_.BaseUrl() + path; }

    fs::path base_;
    fs::path root_;
    FeedServer server_;
};

TEST_F(FeedServerTest, RefusesMissingFilesDirectoriesAndPathsOutsideTheRoot) {
    fs::create_symlink(base_ / "secret.txt", root_ / "link.txt");
    for (const char* path : {"/nothing.xml", "/mobile", "/../secret.txt",
                             "/mobile/../../secret.txt", "/%2e%2e/secret.txt", "/link.txt"}) {
        Fetch fetch = Get(Url(path));
        EXPECT_EQ(fetch.status, 404) << path;
        EXPECT_EQ(fetch.body.find("outside the root"), std::string::npos) << path;
    }
}

// Bodies are kept in memory between requests, plain and gzipped; what
// changed on disk must still be what is served, also when the whole folder
// is swapped by a rename (as an edition is replaced).
TEST_F(FeedServerTest, ServesWhatIsOnDiskNowThroughItsCache) {
    const std::string feed = Url("/mobile/feed.xml");
    auto servedBoth = [&](const std::string& expected) {
        EXPECT_EQ(Get(feed).body, expected);
        EXPECT_EQ(Get(feed, "").body, expected) << "as the reader asks, every decoder";
    };
    servedBoth("<root/>");
    WriteFile(root_ / "mobile/feed.xml", "<r>{{FEED_SERVER}}/a.jpg</r>");
    servedBoth("<r>" + server_.BaseUrl() + "/a.jpg</r>");
    EXPECT_EQ(Get(feed, "gzip", true).body.rfind("\x1f\x8b", 0), 0u) << "gzipped";
    for (const char* refused : {"br, gzip;q=0", "gzip;q=0.0, *", "*;q=0"}) {
        EXPECT_EQ(Get(feed, refused, true).body.rfind("<r>", 0), 0u) << refused;
    }
    WriteFile(root_ / "vacio.xml", "");
    EXPECT_EQ(Get(Url("/vacio.xml"), "").status, 200) << "an empty feed is answered too";
    EXPECT_EQ(Get(Url("/vacio.xml")).status, 200);
    WriteFile(root_ / "foto.jpg", "{{FEED_SERVER}}");
    EXPECT_EQ(Get(Url("/foto.jpg"), "gzip", true).body, "{{FEED_SERVER}}")
        << "pictures go out as they are";

    const fs::path next = base_ / "next";
    WriteFile(next / "mobile/feed.xml", "<r>{{FEED_SERVER}}/b.jpg</r>");
    fs::rename(root_, base_ / "old");
    fs::rename(next, root_);
    servedBoth("<r>" + server_.BaseUrl() + "/b.jpg</r>");
    fs::remove(root_ / "mobile/feed.xml");
    EXPECT_EQ(Get(feed, "").status, 404);
    EXPECT_EQ(server_.RequestCount("/mobile/feed.xml"), 11);
}

TEST(FeedServerLifecycleTest, StartFailuresAndIdempotentStop) {
    FeedServer server;
    EXPECT_FALSE(server.Start("/nonexistent-feed-root"));
    const auto dir = fs::temp_directory_path();
    ASSERT_TRUE(server.Start(dir.string()));
    EXPECT_FALSE(server.Start(dir.string())) << "already running";
    FeedServer rival;
    EXPECT_FALSE(rival.Start(dir.string(), server.Port())) << "port taken";
    server.Stop();
    server.Stop();
    EXPECT_EQ(server.Port(), 0);
    ASSERT_TRUE(server.Start(dir.string()));
    EXPECT_EQ(Get(server.BaseUrl() + "/no-such-file").status, 404);
}

TEST(FaultRuleParserTest, ReadsEveryOptionAndRejectsBadLines) {
    FaultRuleParser parser;
    ASSERT_TRUE(parser.Parse("# faults for the reader\n"
                             "\n"
                             "/mobile/mexico.xml status=404 delay=200 chunk=1 drop=100 "
                             "stall=5000@0 cl=+100\n"
                             "  /img/a.jpg stall=250 cl=-3 header=X-A:b header=Retry-After:5 "
                             "body=<root>\r\n"))
        << parser.Error();
    ASSERT_EQ(parser.Rules().size(), 2u);
    const FaultRule& a = parser.Rules()[0].rule;
    EXPECT_EQ(parser.Rules()[0].path, "/mobile/mexico.xml");
    EXPECT_EQ(std::tuple(a.status, a.delayMs, a.chunkSize, a.dropAfterBytes, a.stallMs,
                         a.stallAfterBytes, a.contentLengthDelta, a.bodyOverride.has_value()),
              std::tuple(404, 200, 1u, 100LL, 5000, 0u, 100LL, false));
    const FaultRule& b = parser.Rules()[1].rule;
    EXPECT_EQ(parser.Rules()[1].path, "/img/a.jpg");
    EXPECT_EQ(std::tuple(b.stallMs, b.contentLengthDelta, b.dropAfterBytes),
              std::tuple(250, -3LL, -1LL));
    EXPECT_EQ(b.bodyOverride.value_or(""), "<root>");
    using Header = std::pair<std::string, std::string>;
    EXPECT_EQ(b.extraHeaders, (std::vector<Header>{{"X-A", "b"}, {"Retry-After", "5"}}));

    for (const char* bad :
         {"mobile/x.xml status=404", "/x status=99", "/x status=404x", "/x delay=-1", "/x chunk=0",
          "/x cl=100", "/x stall=@5", "/x stall=10@", "/x drop=", "/x colour=red", "/x status",
          "/x header=novalue", "/x delay=99999999999"}) {
        EXPECT_FALSE(parser.Parse(std::string("/ok status=200\n") + bad)) << bad;
        EXPECT_EQ(parser.Error().rfind("line 2: ", 0), 0u) << parser.Error();
        EXPECT_TRUE(parser.Rules().empty());
    }
    EXPECT_FALSE(parser.ParseFile("/nonexistent/rules.txt"));
}

} // namespace
