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
    long connects = 0;
    std::string headers;
    std::string body;
};

size_t Append(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

// One GET, on `curl` if given so keep-alive can be observed. Every transfer
// is bounded so a misbehaving server fails the test, not hangs it.
Fetch Get(const std::string& url, CURL* curl = nullptr, long timeoutMs = 10000) {
    Curl own(curl ? nullptr : curl_easy_init(), curl_easy_cleanup);
    curl = curl ? curl : own.get();
    Fetch fetch;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeoutMs);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &fetch.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, Append);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &fetch.headers);
    fetch.code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &fetch.status);
    curl_easy_getinfo(curl, CURLINFO_NUM_CONNECTS, &fetch.connects);
    return fetch;
}

void WriteFile(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string AllByteValues(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    }
    return bytes;
}

const std::string kPhoto = AllByteValues(1000);

class FeedServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = fs::temp_directory_path() /
                ("feedserver-test-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        root_ = base_ / "root";
        WriteFile(root_ / "img/photo.jpg", kPhoto);
        WriteFile(root_ / "mobile/feed.xml", "<root><article Link=\"{{FEED_SERVER}}/notas/1.xml\" "
                                             "ImgUrl=\"{{FEED_SERVER}}/img/photo.jpg\"/></root>");
        WriteFile(root_ / "data.bin", "plain {{FEED_SERVER}}");
        WriteFile(base_ / "secret.txt", "outside the root");
        ASSERT_TRUE(server_.Start(root_.string()));
    }
    void TearDown() override {
        server_.Stop();
        fs::remove_all(base_);
    }
    std::string Url(const std::string& path) const { return server_.BaseUrl() + path; }
    void Rule(const std::string& path, FaultRule rule) { server_.SetRule(path, std::move(rule)); }

    fs::path base_;
    fs::path root_;
    FaultyFeedServer server_;
};

TEST_F(FeedServerTest, ServesFilesKeepsAliveAndSubstitutesTheTokenInXmlOnly) {
    Curl curl(curl_easy_init(), curl_easy_cleanup);
    Fetch feed = Get(Url("/mobile/feed.xml"), curl.get());
    const std::string base = "http://127.0.0.1:" + std::to_string(server_.Port());
    EXPECT_EQ(feed.body, "<root><article Link=\"" + base + "/notas/1.xml\" ImgUrl=\"" + base +
                             "/img/photo.jpg\"/></root>");
    EXPECT_NE(feed.headers.find("Content-Type: text/xml"), std::string::npos);
    Fetch picture = Get(Url("/img/photo.jpg"), curl.get());
    EXPECT_EQ(picture.connects, 0) << "the second request opened a new connection";
    EXPECT_EQ(picture.body, kPhoto);
    EXPECT_NE(picture.headers.find("Content-Type: image/jpeg"), std::string::npos);
    Fetch other = Get(Url("/data.bin"), curl.get());
    EXPECT_EQ(other.body, "plain {{FEED_SERVER}}");
    EXPECT_NE(other.headers.find("application/octet-stream"), std::string::npos);
    EXPECT_EQ(server_.RequestCount("/img/photo.jpg"), 1);
    EXPECT_EQ(server_.RequestedPaths(),
              (std::vector<std::string>{"/mobile/feed.xml", "/img/photo.jpg", "/data.bin"}));
}

TEST_F(FeedServerTest, RefusesMissingFilesDirectoriesAndPathsOutsideTheRoot) {
    fs::create_symlink(base_ / "secret.txt", root_ / "link.txt");
    for (const char* path : {"/nothing.xml", "/mobile", "/../secret.txt",
                             "/mobile/../../secret.txt", "/%2e%2e/secret.txt", "/link.txt"}) {
        Fetch fetch = Get(Url(path));
        EXPECT_EQ(fetch.status, 404) << path;
        EXPECT_EQ(fetch.body.find("outside the root"), std::string::npos) << path;
    }
}

TEST_F(FeedServerTest, StatusHeaderAndBodyRulesMatchThePathOnlyUntilCleared) {
    Rule("/mobile/feed.xml", {.status = 503, .extraHeaders = {{"X-Fault", "yes"}}});
    Rule("/gone.xml", {.status = 500});
    Rule("/img/photo.jpg", {.bodyOverride = "<root>"});

    Fetch failed = Get(Url("/mobile/feed.xml?x=1"));
    EXPECT_EQ(failed.status, 503);
    EXPECT_NE(failed.body.find(server_.BaseUrl()), std::string::npos) << "file body expected";
    EXPECT_NE(failed.headers.find("X-Fault: yes"), std::string::npos);
    Fetch gone = Get(Url("/gone.xml"));
    EXPECT_EQ(gone.status, 500);
    EXPECT_EQ(gone.body, "500\n");
    EXPECT_EQ(Get(Url("/img/photo.jpg")).body, "<root>");

    server_.ClearRules();
    EXPECT_EQ(Get(Url("/mobile/feed.xml")).status, 200);
    EXPECT_EQ(Get(Url("/img/photo.jpg")).body, kPhoto);
}

TEST_F(FeedServerTest, DelayAndStallHoldTheResponseBackUntilStop) {
    Rule("/data.bin", {.delayMs = 300});
    EXPECT_EQ(Get(Url("/data.bin"), nullptr, 100).code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_EQ(Get(Url("/data.bin")).body, "plain {{FEED_SERVER}}");

    Rule("/img/photo.jpg", {.stallMs = 300, .stallAfterBytes = 10});
    EXPECT_EQ(Get(Url("/img/photo.jpg")).body, kPhoto);

    // Headers, then silence: the client sees 200 and never a byte of body.
    Rule("/mobile/feed.xml", {.stallMs = 60000});
    Fetch hung = Get(Url("/mobile/feed.xml"), nullptr, 300);
    EXPECT_EQ(hung.code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_EQ(hung.status, 200);
    EXPECT_TRUE(hung.body.empty());
    server_.Stop(); // must not wait out the minute-long stall
}

// A plain drop and a length too long are driven through the program by the
// fault matrix; these are the combinations it does not make.
TEST_F(FeedServerTest, ChunksDropsAndWrongContentLengthsTruncateOrCloseTheConnection) {
    Rule("/img/photo.jpg", {.chunkSize = 7});
    EXPECT_EQ(Get(Url("/img/photo.jpg")).body, kPhoto);
    Rule("/img/photo.jpg", {.chunkSize = 30, .dropAfterBytes = 100});
    Fetch chunked = Get(Url("/img/photo.jpg"));
    EXPECT_NE(chunked.code, CURLE_OK);
    EXPECT_EQ(chunked.body, kPhoto.substr(0, 100));

    Rule("/img/photo.jpg", {.contentLengthDelta = -100});
    Curl curl(curl_easy_init(), curl_easy_cleanup);
    Fetch cut = Get(Url("/img/photo.jpg"), curl.get());
    EXPECT_NE(cut.headers.find("Content-Length: 900"), std::string::npos);
    EXPECT_EQ(cut.body, kPhoto.substr(0, 900));
    // The surplus bytes must never sit in front of a next response on the
    // same connection, so the next request goes out on a new one.
    Fetch next = Get(Url("/data.bin"), curl.get());
    EXPECT_EQ(next.connects, 1);
    EXPECT_EQ(next.body, "plain {{FEED_SERVER}}");
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
