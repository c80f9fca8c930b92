// The bridge against real servers on 127.0.0.1: conditional fetches, sources
// that fail or ask for a pause, the saved state a restart starts from, and
// the status page.
#include <map>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "feedserver/bridge/FeedBridge.h"
#include "feedserver/bridge/SectionTable.h"
#include "tests/unit/support/LocalHttpServer.h"
#include "tests/support/ReadAll.h"

namespace pregonero::feeds {
namespace {

constexpr std::int64_t kNow = 1772539200; // 3 March 2026, 12:00 UTC

// A feed of lines "guid|title|seconds"; anything starting "roto" does not
// parse. The bridge's own logic is what is tested here, not feed reading.
bool ParseLines(const std::string& bytes, const std::string&, const std::string&, SourceFeed* feed,
                std::string* error) {
    if (bytes.starts_with("roto")) {
        *error = "no es un canal";
        return false;
    }
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line);) {
        SourceItem item;
        std::istringstream fields(line);
        std::string seconds;
        std::getline(fields, item.guid, '|');
        std::getline(fields, item.title, '|');
        std::getline(fields, seconds, '|');
        if (!seconds.empty()) {
            item.published = std::stoll(seconds);
        }
        feed->items.push_back(item);
    }
    return true;
}

// What one path of the test server answers, changed by the test between
// refreshes.
struct Answer {
    int status = 200;
    std::string body;
    std::string etag;
    std::string retryAfter;
};

class Newsroom {
public:
    Newsroom()
        : server_([this](httplib::Server& s) {
              s.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
                  std::lock_guard lock(mutex_);
                  ++requests_[request.path];
                  const auto found = answers_.find(request.path);
                  if (found == answers_.end()) {
                      response.status = 404;
                      return;
                  }
                  const Answer& answer = found->second;
                  agents_ = request.get_header_value("User-Agent");
                  if (!answer.etag.empty() &&
                      request.get_header_value("If-None-Match") == answer.etag) {
                      response.status = 304;
                      return;
                  }
                  if (answer.body.starts_with("-> ")) { // a redirect there
                      response.set_redirect(answer.body.substr(3));
                      return;
                  }
                  response.status = answer.status;
                  if (!answer.etag.empty()) {
                      response.set_header("ETag", answer.etag);
                  }
                  if (!answer.retryAfter.empty()) {
                      response.set_header("Retry-After", answer.retryAfter);
                  }
                  response.set_content(answer.body, "application/rss+xml");
              });
          }) {}

    void Set(const std::string& path, int status, const std::string& body,
             const std::string& etag = "", const std::string& retryAfter = "") {
        std::lock_guard lock(mutex_);
        answers_[path] = {status, body, etag, retryAfter};
    }
    int Requests(const std::string& path) {
        std::lock_guard lock(mutex_);
        return requests_[path];
    }
    std::string Agent() {
        std::lock_guard lock(mutex_);
        return agents_;
    }
    std::string Url(const std::string& path) const { return server_.Url(path); }

private:
    std::mutex mutex_;
    std::map<std::string, Answer> answers_;
    std::map<std::string, int> requests_;
    std::string agents_;
    testing_support::LocalHttpServer server_;
};

struct BridgeFixture {
    Newsroom newsroom;
    std::filesystem::path state =
        std::filesystem::temp_directory_path() / ("bridge-state-" + std::to_string(::getpid()));
    EditionClock clock;

    BridgeFixture() {
        std::filesystem::remove_all(state);
        std::string error;
        clock.SetZone("America/Mexico_City", &error);
    }
    ~BridgeFixture() { std::filesystem::remove_all(state); }

    std::unique_ptr<FeedBridge> Make(const std::vector<std::string>& paths) {
        std::vector<OpmlSource> sources;
        for (const auto& path : paths) {
            sources.push_back({newsroom.Url(path), "Diario " + path, SectionTable::Find("Mundo")});
        }
        BridgeSettings settings{state, 15, "pregonero-feeds/9.9"};
        return std::make_unique<FeedBridge>(sources, settings, clock, ParseLines);
    }
    std::string Edition(const std::string& file) const {
        return testing_support::ReadAll(state / "edition" / file);
    }
};

TEST(FeedBridgeTest, UnchangedFeedsCostNoParseAndChangedOnesReplaceTheirItems) {
    BridgeFixture fx;
    fx.newsroom.Set("/a.rss", 200, "a1|Sismo en Oaxaca|1772539000\n", "\"v1\"");
    fx.newsroom.Set("/b.rss", 200, "b1|Elecciones en Chile|1772539100\n");
    auto bridge = fx.Make({"/a.rss", "/b.rss"});
    std::string error;
    ASSERT_TRUE(bridge->Open(&error)) << error;
    EXPECT_NE(fx.Edition("mobile/mundo.xml").find("<root>"), std::string::npos);
    EXPECT_EQ(fx.Edition("mobile/mundo.xml").find("Sismo"), std::string::npos);

    bridge->Refresh(kNow);
    EXPECT_EQ(bridge->Parses(), 2u);
    EXPECT_EQ(fx.newsroom.Agent(), "pregonero-feeds/9.9");
    const std::string mundo = fx.Edition("mobile/mundo.xml");
    EXPECT_LT(mundo.find("Elecciones en Chile"), mundo.find("Sismo en Oaxaca"));

    // The source with a validator answers 304 and is not parsed again.
    bridge->Refresh(kNow + 900);
    EXPECT_EQ(bridge->Parses(), 3u);
    EXPECT_EQ(fx.newsroom.Requests("/a.rss"), 2);
    EXPECT_EQ(bridge->Records()[0].status, 304);
    EXPECT_EQ(bridge->Records()[0].items.size(), 1u);

    fx.newsroom.Set("/a.rss", 200, "a2|Réplica en Oaxaca|1772539900\n", "\"v2\"");
    bridge->Refresh(kNow + 1800);
    EXPECT_EQ(bridge->Parses(), 5u);
    const std::string later = fx.Edition("mobile/mundo.xml");
    EXPECT_NE(later.find("Réplica en Oaxaca"), std::string::npos);
    EXPECT_EQ(later.find("Sismo en Oaxaca"), std::string::npos);
    EXPECT_EQ(bridge->Records()[0].etag, "\"v2\"");
}

TEST(FeedBridgeTest, AFailingSourceKeepsItsItemsAndTheOthersGoOn) {
    BridgeFixture fx;
    fx.newsroom.Set("/a.rss", 200, "a1|Lluvias en Tabasco|1772539000\n");
    fx.newsroom.Set("/b.rss", 200, "b1|Cumbre en Lima|1772539100\n");
    // Over 8 MiB once inflated, and a redirect to a file: both refused.
    fx.newsroom.Set("/grande.rss", 200, std::string((8u << 20) + 1, 'x'));
    fx.newsroom.Set("/desvio.rss", 200, "-> file:///etc/passwd");
    auto bridge = fx.Make({"/a.rss", "/b.rss", "/c.rss", "/grande.rss", "/desvio.rss"});
    std::string error;
    ASSERT_TRUE(bridge->Open(&error));
    bridge->Refresh(kNow);

    fx.newsroom.Set("/a.rss", 500, "error interno");
    fx.newsroom.Set("/b.rss", 200, "roto: <html>mantenimiento</html>");
    bridge->Refresh(kNow + 900);
    const auto records = bridge->Records();
    EXPECT_EQ(records[0].error, "HTTP 500");
    EXPECT_EQ(records[1].error, "cannot read the feed: no es un canal");
    EXPECT_EQ(records[2].error, "HTTP 404");
    EXPECT_EQ(records[3].error, "larger than 8 MiB");
    EXPECT_FALSE(records[4].error.empty()) << records[4].status;
    EXPECT_EQ(bridge->Parses(), 3u);
    EXPECT_EQ(records[0].items.size(), 1u);
    EXPECT_EQ(records[1].items.size(), 1u);
    const std::string mundo = fx.Edition("mobile/mundo.xml");
    EXPECT_NE(mundo.find("Lluvias en Tabasco"), std::string::npos);
    EXPECT_NE(mundo.find("Cumbre en Lima"), std::string::npos);

    const std::string page = bridge->StatusPage();
    EXPECT_NE(page.find("HTTP 500"), std::string::npos);
    EXPECT_NE(page.find("cannot read the feed: no es un canal"), std::string::npos);
    EXPECT_NE(page.find("Diario /c.rss"), std::string::npos);
    EXPECT_NE(page.find("martes 3 de marzo de 2026 06:15"), std::string::npos) << page;

    // A source nobody answers fails alone, too.
    BridgeFixture dead;
    std::vector<OpmlSource> sources = {{"http://127.0.0.1:9/x.rss", "Muerto", 1}};
    FeedBridge lonely(sources, {dead.state, 15, "ua"}, dead.clock, ParseLines);
    ASSERT_TRUE(lonely.Open(&error));
    lonely.Refresh(kNow);
    EXPECT_EQ(lonely.Records()[0].status, 0);
    EXPECT_FALSE(lonely.Records()[0].error.empty());
}

TEST(FeedBridgeTest, RefusalsPauseASourceAsLongAsItAsks) {
    BridgeFixture fx;
    fx.newsroom.Set("/a.rss", 503, "ocupado", "", "3600");
    fx.newsroom.Set("/b.rss", 429, "calma");
    auto bridge = fx.Make({"/a.rss", "/b.rss"});
    std::string error;
    ASSERT_TRUE(bridge->Open(&error));
    bridge->Refresh(kNow);
    // Within the hour Retry-After asked for, and the doubled period, neither
    // is asked again.
    bridge->Refresh(kNow + 1500);
    EXPECT_EQ(fx.newsroom.Requests("/a.rss"), 1);
    EXPECT_EQ(fx.newsroom.Requests("/b.rss"), 1);
    bridge->Refresh(kNow + 1801);
    EXPECT_EQ(fx.newsroom.Requests("/a.rss"), 1);
    EXPECT_EQ(fx.newsroom.Requests("/b.rss"), 2);
    // A second refusal doubles the pause again.
    fx.newsroom.Set("/a.rss", 200, "a1|Ya abrimos|\n");
    bridge->Refresh(kNow + 3600);
    EXPECT_EQ(fx.newsroom.Requests("/a.rss"), 2);
    EXPECT_EQ(fx.newsroom.Requests("/b.rss"), 2);
    EXPECT_EQ(bridge->Records()[0].items.size(), 1u);
    EXPECT_EQ(bridge->Records()[0].nextAttempt, 0);
    bridge->Refresh(kNow + 1801 + 3600);
    EXPECT_EQ(fx.newsroom.Requests("/b.rss"), 3);
    EXPECT_NE(bridge->Records()[1].error.find("HTTP 429"), std::string::npos);
}

TEST(FeedBridgeTest, ARestartServesTheSavedItemsAndRevalidatesThem) {
    BridgeFixture fx;
    fx.newsroom.Set("/a.rss", 200, "a1|Nevada en Toluca|1772539000\n", "\"n1\"");
    std::string error;
    {
        auto bridge = fx.Make({"/a.rss"});
        ASSERT_TRUE(bridge->Open(&error));
        bridge->Refresh(kNow);
    }
    std::filesystem::remove_all(fx.state / "edition");
    auto again = fx.Make({"/a.rss"});
    ASSERT_TRUE(again->Open(&error)) << error;
    // Served from the state before any fetch.
    EXPECT_NE(fx.Edition("mobile/mundo.xml").find("Nevada en Toluca"), std::string::npos);
    EXPECT_NE(fx.Edition("notas/mundo/1.xml").find("PubTime=\"05:56\""), std::string::npos);
    again->Refresh(kNow + 60);
    EXPECT_EQ(again->Parses(), 0u);
    EXPECT_EQ(again->Records()[0].status, 304);

    // A damaged state file is as good as none.
    std::ofstream(fx.state / "sources.json", std::ios::trunc) << "{\"version\":1,\"sources\":[";
    auto fresh = fx.Make({"/a.rss"});
    ASSERT_TRUE(fresh->Open(&error));
    EXPECT_EQ(fx.Edition("mobile/mundo.xml").find("Nevada"), std::string::npos);
    EXPECT_TRUE(fresh->Records()[0].etag.empty());
}

} // namespace
} // namespace pregonero::feeds
