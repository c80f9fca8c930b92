#include "platform/runtime/pictures/DecodeService.h"

#include <chrono>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "feedserver/faults/HostilePictures.h"
#include "platform/runtime/network/NetworkService.h"
#include "support/LocalHttpServer.h"
#include "support/QueuePoster.h"
#include "tests/unit/TestPictures.h"

namespace pregonero::runtime {
namespace {

using namespace std::chrono_literals;

struct Received {
    int calls = 0;
    DecodeOutcome last;
};

class DecodeServiceTest : public ::testing::Test {
protected:
    DecodeId Ask(DecodeService& service, const std::string& path, int key,
                 PixelFormat format = PixelFormat::Argb8888, int side = 176) {
        return service.Request(server.Url(path), format, side, side, 10000,
                               [this, key](DecodeOutcome&& outcome) {
                                   ++received[key].calls;
                                   received[key].last = std::move(outcome);
                               });
    }
    // Nothing in flight and nothing queued: no callback can come any more.
    bool Idle(const DecodeService& service) {
        return service.InFlight() == 0 && network.InFlight() == 0 && events.Queued() == 0;
    }
    int Total() {
        int calls = 0;
        for (const auto& [key, r] : received) {
            calls += r.calls;
        }
        return calls;
    }

    const std::string jpeg = test::EncodeJpeg(test::PatternRgba(1024, 768), 1024, 768);
    const std::string slowToDecode = feeds::HostilePictures::SlowJpeg();
    testing_support::LocalHttpServer server{[this](httplib::Server& s) {
        s.Get("/pic.jpg", [this](const auto&, auto& res) { res.set_content(jpeg, "image/jpeg"); });
        s.Get("/slow.jpg", testing_support::Late(jpeg, "image/jpeg", 300));
        s.Get("/slow-to-decode.jpg",
              [this](const auto&, auto& res) { res.set_content(slowToDecode, "image/jpeg"); });
        s.Get("/text",
              [](const auto&, auto& res) { res.set_content("not a picture", "text/plain"); });
    }};
    testing_support::QueuePoster events;
    NetworkService network{events};
    std::map<int, Received> received;
};

TEST_F(DecodeServiceTest, EveryRequestGetsExactlyOneCallback) {
    DecodeService service(events, network);
    for (int i = 0; i < 6; ++i) {
        ASSERT_NE(Ask(service, "/pic.jpg", i, i % 2 ? PixelFormat::Rgb565 : PixelFormat::Argb8888),
                  0u);
    }
    ASSERT_NE(Ask(service, "/missing", 10), 0u);
    ASSERT_NE(Ask(service, "/text", 11), 0u);
    EXPECT_EQ(service.InFlight(), 8u);
    ASSERT_TRUE(events.RunUntil([&] { return Idle(service); }));
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(received[i].calls, 1);
        ASSERT_TRUE(received[i].last.ok) << received[i].last.error;
        const PixelBuffer& p = *received[i].last.picture;
        EXPECT_EQ(p.width, 176);
        EXPECT_EQ(p.format, i % 2 ? PixelFormat::Rgb565 : PixelFormat::Argb8888);
        EXPECT_TRUE(test::Near(test::PixelAt(p, 20, 20), test::kRed));
        EXPECT_TRUE(test::Near(test::PixelAt(p, 155, 155), test::kYellow));
    }
    EXPECT_EQ(received[10].calls, 1);
    EXPECT_FALSE(received[10].last.ok);
    EXPECT_NE(received[10].last.error.find("404"), std::string::npos) << received[10].last.error;
    EXPECT_EQ(received[11].calls, 1);
    EXPECT_EQ(received[11].last.error, "not a picture");
}

TEST_F(DecodeServiceTest, CancelledRequestsNeverCallBack) {
    DecodeService service(events, network);
    // Cancelled while fetching: the fetch goes too, or the network would stay busy.
    const DecodeId early = Ask(service, "/slow.jpg", 1);
    service.Cancel(early);
    EXPECT_EQ(service.InFlight(), 0u);
    // Cancelled after the body arrived and the result was posted, before it ran.
    const DecodeId late = Ask(service, "/pic.jpg", 2);
    ASSERT_TRUE(events.RunUntil([&] { return network.InFlight() == 0; }));
    ASSERT_TRUE(events.WaitForTask(5000ms));
    service.Cancel(late);
    // Cancelled after its callback: nothing happens.
    const DecodeId done = Ask(service, "/pic.jpg", 3);
    ASSERT_TRUE(events.RunUntil([&] { return received[3].calls == 1; }));
    service.Cancel(done);
    service.Cancel(12345); // unknown ids are ignored
    ASSERT_TRUE(events.RunUntil([&] { return Idle(service); }));
    EXPECT_EQ(received[1].calls, 0);
    EXPECT_EQ(received[2].calls, 0);
    EXPECT_EQ(received[3].calls, 1);
}

// The request's time-out covers the decode: a picture that takes seconds to
// decode fails as a late download would, and one whose time ran out while it
// waited for a worker is never started.
TEST_F(DecodeServiceTest, TheTimeOutCoversTheDecode) {
    DecodeService service(events, network, 1);
    auto ask = [&](const std::string& path, int key, long timeoutMs) {
        return service.Request(server.Url(path), PixelFormat::Rgb565, 176, 176, timeoutMs,
                               [this, key](DecodeOutcome&& outcome) {
                                   ++received[key].calls;
                                   received[key].last = std::move(outcome);
                               });
    };
    // The one worker is busy with the first until its time is up; the
    // second's time is up by then.
    ASSERT_NE(ask("/slow-to-decode.jpg", 1, 500), 0u);
    ASSERT_TRUE(events.RunUntil([&] { return network.InFlight() == 0; }));
    ASSERT_NE(ask("/pic.jpg", 2, 250), 0u);
    ASSERT_TRUE(events.RunUntil([&] { return Idle(service); }));
    for (int key : {1, 2}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(received[key].calls, 1);
        EXPECT_FALSE(received[key].last.ok);
        EXPECT_EQ(received[key].last.error, DecodeBudget::kTimeout);
    }
}

TEST_F(DecodeServiceTest, DestroyingWithWorkInFlightIsQuietAndClean) {
    int before = 0;
    {
        DecodeService service(events, network, 2);
        for (int i = 0; i < 4; ++i) {
            Ask(service, "/slow.jpg", i);
        }
        for (int i = 4; i < 40; ++i) {
            Ask(service, "/pic.jpg", i, PixelFormat::Rgb565, 440);
        }
        // Go once the first pictures come back: fetches, queued decodes and
        // posted results are all still pending then.
        ASSERT_TRUE(events.RunUntil([&] { return Total() > 0; }));
        ASSERT_GT(service.InFlight(), 0u);
        before = Total();
    }
    // The service cancelled its fetches; what it had posted calls nobody.
    EXPECT_EQ(network.InFlight(), 0u);
    ASSERT_TRUE(events.Drain());
    EXPECT_EQ(Total(), before);
}

} // namespace
} // namespace pregonero::runtime
