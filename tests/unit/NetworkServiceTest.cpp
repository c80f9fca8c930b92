#include "platform/runtime/network/NetworkService.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "feedserver/faults/GzipBomb.h"
#include "support/LocalHttpServer.h"
#include "support/QueuePoster.h"

namespace pregonero::runtime {
namespace {

using namespace std::chrono_literals;
using testing_support::QueuePoster;

std::string Binary(std::size_t size) {
    std::string data(size, '\0');
    std::uint32_t state = 12345;
    for (char& c : data) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    return data;
}

// A type cpp-httplib never compresses, so the bytes on the wire are the ones
// each route sends.
constexpr const char* kRaw = "application/octet-stream";

struct Delivery {
    int calls = 0;
    FetchResult result;
};

// Small limits so that the hostile cases end quickly.
FetchLimits QuickLimits(std::size_t maxBody = 1u << 20) {
    FetchLimits limits;
    limits.connectTimeoutMs = 2000;
    limits.stallTimeoutMs = 1000;
    limits.totalTimeoutMs = 3000;
    limits.maxBodyBytes = maxBody;
    return limits;
}

// One local server with every route the tests use, well-behaved and hostile.
// Slow responses pace themselves (the server's pace, not the test's) and end
// when the client hangs up or the test does.
class NetworkServiceTest : public ::testing::Test {
protected:
    ~NetworkServiceTest() override { stopping = true; }

    FetchId StartInto(NetworkService& service, const std::string& path, Delivery& into,
                      const FetchLimits& limits = QuickLimits()) {
        return service.Start(http.Url(path), limits, [&into](FetchResult&& result) {
            ++into.calls;
            into.result = std::move(result);
        });
    }
    // Sends `size` bytes of body one at a time, `pause` apart, or none at all
    // when `pause` is 0; counts the connections the client closed under it.
    httplib::Server::Handler Slow(std::size_t size, std::chrono::milliseconds pause) {
        return [this, size, pause](const auto&, httplib::Response& res) {
            ++slowStarted;
            res.set_content_provider(size, kRaw,
                                     [=, this](size_t, size_t, httplib::DataSink& sink) {
                                         std::this_thread::sleep_for(pause > 0ms ? pause : 10ms);
                                         if (pause > 0ms && !sink.write("x", 1)) {
                                             ++hungUp;
                                             return false;
                                         }
                                         return !stopping;
                                     });
        };
    }
    void Routes(httplib::Server& s) {
        s.Get("/bin", [this](const auto&, auto& res) { res.set_content(binary, kRaw); });
        s.Get("/missing", [](const auto&, auto& res) {
            res.status = 404;
            res.set_content("nope", kRaw);
        });
        s.Get("/hop1", [](const auto&, auto& res) { res.set_redirect("/hop2", 301); });
        s.Get("/hop2", [](const auto&, auto& res) { res.set_redirect("/bin"); });
        s.Get("/gzip", [this](const auto&, auto& res) {
            res.set_header("Content-Encoding", "gzip");
            res.set_content(packed, kRaw);
        });
        s.Get("/ok", [](const auto&, auto& res) { res.set_content("ok", kRaw); });
        s.Get("/silent", Slow(100, 0ms));
        s.Get("/drip", Slow(100000, 20ms));
        s.Get(R"(/n/(\d+))", [this](const httplib::Request& req, httplib::Response& res) {
            {
                const std::lock_guard lock(mutex);
                ports.insert(req.remote_port);
            }
            res.set_content("body-" + req.matches[1].str(), kRaw);
        });
    }

    const std::string binary = Binary(3u << 20);
    const std::string text = std::string(200000, '\0');
    const std::string packed = feeds::GzipBomb::Make(text.size());
    std::atomic<bool> stopping{false};
    std::atomic<int> slowStarted{0}, hungUp{0};
    std::mutex mutex;
    std::set<int> ports;
    testing_support::LocalHttpServer http{[this](httplib::Server& s) { Routes(s); }};
    QueuePoster poster;
};

TEST_F(NetworkServiceTest, RefusesAnythingButAbsoluteHttpUrls) {
    for (const char* good :
         {"http://127.0.0.1/", "HTTPS://example.com/a?b=c", "http://h:8080/p#f"}) {
        EXPECT_TRUE(NetworkService::IsFetchableUrl(good)) << good;
    }
    NetworkService service(poster);
    int calls = 0;
    for (const char* bad :
         {"file:///etc/passwd", "ftp://127.0.0.1/x", "gopher://127.0.0.1/", "javascript:alert(1)",
          "", "http://", "https://", "http:///etc/passwd", "http:/127.0.0.1/x", "127.0.0.1/x",
          "http://127.0.0.1/a b", "data:text/plain,hola"}) {
        EXPECT_FALSE(NetworkService::IsFetchableUrl(bad)) << bad;
        EXPECT_EQ(service.Start(bad, QuickLimits(), [&calls](FetchResult&&) { ++calls; }), 0u);
    }
    EXPECT_FALSE(NetworkService::IsFetchableUrl(std::string_view("http://a\0b/", 11)));
    // Refused at once: nothing started, nothing queued, nothing can come later.
    EXPECT_EQ(service.InFlight(), 0u);
    EXPECT_EQ(poster.Queued(), 0u);
    EXPECT_EQ(calls, 0);
}

TEST_F(NetworkServiceTest, DeliversWholeBodiesWhateverTheStatus) {
    NetworkService service(poster);
    const FetchLimits roomy = QuickLimits(4u << 20);
    Delivery bin, missing, redirected, gzip, chained;
    StartInto(service, "/bin", bin, roomy);
    StartInto(service, "/hop1", redirected, roomy);
    StartInto(service, "/gzip", gzip);
    const FetchId id = service.Start(http.Url("/missing"), QuickLimits(), [&](FetchResult&& r) {
        ++missing.calls;
        missing.result = std::move(r);
        // A callback may start the next fetch right away.
        StartInto(service, "/bin", chained, roomy);
    });
    EXPECT_NE(id, 0u);
    EXPECT_EQ(service.InFlight(), 4u);

    ASSERT_TRUE(poster.RunUntil([&] { return chained.calls > 0 && service.InFlight() == 0; }));
    ASSERT_TRUE(poster.Drain());
    for (const Delivery* d : {&bin, &missing, &redirected, &gzip, &chained}) {
        EXPECT_EQ(d->calls, 1);
        EXPECT_EQ(d->result.outcome, FetchOutcome::Completed) << d->result.error;
    }
    EXPECT_EQ(bin.result.status, 200);
    EXPECT_TRUE(bin.result.body == binary);
    EXPECT_TRUE(chained.result.body == binary);
    EXPECT_TRUE(redirected.result.body == binary);
    EXPECT_EQ(missing.result.status, 404);
    EXPECT_EQ(missing.result.body, "nope");
    EXPECT_TRUE(gzip.result.body == text); // decoded, not the bytes on the wire
}

TEST_F(NetworkServiceTest, CancelledFetchesNeverCallBack) {
    NetworkService service(poster);
    Delivery waiting;
    FetchLimits patient = QuickLimits();
    patient.totalTimeoutMs = 600000; // only the cancel can end this transfer in time
    const FetchId slow = StartInto(service, "/drip", waiting, patient);
    ASSERT_TRUE(poster.RunUntil([&] { return slowStarted > 0; }));
    service.Cancel(slow);
    EXPECT_EQ(service.InFlight(), 0u);
    // The transfer really stops: its connection is closed.
    EXPECT_TRUE(poster.RunUntil([&] { return hungUp > 0; }));

    Delivery posted;
    const FetchId fast = StartInto(service, "/ok", posted);
    ASSERT_TRUE(poster.WaitForTask(5s)); // the completion sits in the queue, not yet run
    service.Cancel(fast);
    service.Cancel(fast);
    service.Cancel(0);
    service.Cancel(987654);
    ASSERT_TRUE(poster.Drain());
    EXPECT_EQ(waiting.calls + posted.calls, 0);
    EXPECT_EQ(service.InFlight(), 0u);

    Delivery after;
    const FetchId done = StartInto(service, "/ok", after);
    ASSERT_TRUE(poster.RunUntil([&] { return after.calls > 0; }));
    service.Cancel(done); // too late to matter
    EXPECT_EQ(after.result.body, "ok");
}

TEST_F(NetworkServiceTest, DestroyingTheServiceWithFetchesInFlightIsQuiet) {
    std::vector<Delivery> deliveries(6);
    {
        NetworkService service(poster);
        for (int i = 0; i < 5; ++i) {
            StartInto(service, "/silent", deliveries[i]);
        }
        StartInto(service, "/ok", deliveries[5]);
        ASSERT_TRUE(poster.WaitForTask(5s)); // one completion queued when the service goes
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (slowStarted < 5 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(5ms);
        }
    }
    ASSERT_TRUE(poster.Drain()); // the stale delivery runs without the service and calls nobody
    for (const Delivery& d : deliveries) {
        EXPECT_EQ(d.calls, 0);
    }
}

TEST_F(NetworkServiceTest, ParallelFetchesShareKeptAliveConnections) {
    NetworkService service(poster);
    std::vector<Delivery> deliveries(100);
    for (std::size_t i = 0; i < deliveries.size(); ++i) {
        StartInto(service, "/n/" + std::to_string(i), deliveries[i]);
    }
    ASSERT_TRUE(poster.RunUntil([&] { return service.InFlight() == 0; }));
    for (std::size_t i = 0; i < deliveries.size(); ++i) {
        EXPECT_EQ(deliveries[i].calls, 1);
        EXPECT_EQ(deliveries[i].result.body, "body-" + std::to_string(i));
    }
    const std::lock_guard lock(mutex);
    EXPECT_LE(ports.size(), 6u); // a few connections, each reused
}

} // namespace
} // namespace pregonero::runtime
