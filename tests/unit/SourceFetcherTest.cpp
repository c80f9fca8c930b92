// The feed fetcher against a server whose headers are hostile or tell it
// something: floods are cut off, and only the final response's headers count.
#include <ctime>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "feedserver/bridge/SourceFetcher.h"
#include "tests/unit/support/LocalHttpServer.h"

namespace pregonero::feeds {
namespace {

std::string HttpDateIn(std::time_t seconds) {
    const std::time_t when = std::time(nullptr) + seconds;
    std::tm utc{};
    gmtime_r(&when, &utc);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &utc);
    return text;
}

TEST(SourceFetcherTest, HeaderFloodsAreCutOffAndOnlyTheFinalResponsesHeadersCount) {
    testing_support::LocalHttpServer server([](httplib::Server& s) {
        s.Get("/muchas", [](const auto&, httplib::Response& res) {
            for (int i = 0; i < 300; ++i) {
                res.set_header("X-Relleno-" + std::to_string(i), "sí");
            }
            res.set_content("<rss/>", "application/rss+xml");
        });
        s.Get("/enorme", [](const auto&, httplib::Response& res) {
            res.set_header("X-Relleno", std::string(70000, 'x'));
            res.set_content("<rss/>", "application/rss+xml");
        });
        s.Get("/salto", [](const auto&, httplib::Response& res) {
            res.set_header("ETag", "\"del-salto\"");
            res.set_header("Retry-After", "60");
            res.set_redirect("/portada");
        });
        s.Get("/portada", [](const auto&, httplib::Response& res) {
            res.set_header("Last-Modified", "Tue, 03 Mar 2026 11:00:00 GMT");
            res.set_content("<rss/>", "application/rss+xml");
        });
        s.Get("/ocupado", [](const auto&, httplib::Response& res) {
            res.status = 503;
            res.set_header("Retry-After", HttpDateIn(3600));
        });
    });
    SourceFetcher fetcher("pregonero-feeds/9.9");
    std::vector<FetchRequest> requests;
    for (const char* path : {"/muchas", "/enorme", "/salto", "/ocupado"}) {
        requests.push_back({server.Url(path), "", ""});
    }
    const auto replies = fetcher.FetchAll(requests);
    ASSERT_EQ(replies.size(), 4u);
    EXPECT_EQ(replies[0].error, "too many headers");
    EXPECT_EQ(replies[1].error, "headers too large");
    for (const FetchReply& flooded : {replies[0], replies[1]}) {
        EXPECT_EQ(flooded.status, 0);
        EXPECT_TRUE(flooded.body.empty());
    }

    const FetchReply& moved = replies[2];
    EXPECT_EQ(moved.status, 200) << moved.error;
    EXPECT_EQ(moved.body, "<rss/>");
    EXPECT_EQ(moved.contentType, "application/rss+xml");
    EXPECT_EQ(moved.lastModified, "Tue, 03 Mar 2026 11:00:00 GMT");
    EXPECT_TRUE(moved.etag.empty()) << moved.etag;
    EXPECT_FALSE(moved.retryAfter.has_value());

    // A date in Retry-After counts from now: about the hour it names.
    ASSERT_TRUE(replies[3].retryAfter.has_value());
    EXPECT_GT(*replies[3].retryAfter, 3000);
    EXPECT_LE(*replies[3].retryAfter, 3600);
}

} // namespace
} // namespace pregonero::feeds
