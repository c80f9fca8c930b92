#include "platform/runtime/pictures/DecodeService.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/QueuePoster.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include "platform/runtime/network/NetworkService.h"
#include "tests/unit/TestPictures.h"

namespace pregonero::runtime {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using testing_support::QueuePoster;

class PictureServer {
public:
    PictureServer() {
        jpeg_ = test::EncodeJpeg(test::PatternRgba(1024, 768), 1024, 768);
        server_.Get("/pic.jpg", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(jpeg_, "image/jpeg");
        });
        server_.Get("/slow.jpg", [this](const httplib::Request&, httplib::Response& res) {
            std::this_thread::sleep_for(300ms);
            res.set_content(jpeg_, "image/jpeg");
        });
        server_.Get("/text", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("not a picture", "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        for (int i = 0; i < 500 && !server_.is_running(); ++i) {
            std::this_thread::sleep_for(5ms);
        }
    }
    ~PictureServer() {
        server_.stop();
        thread_.join();
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    std::string jpeg_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

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
    bool Idle(const DecodeService& service) {
        return service.InFlight() == 0 && network.InFlight() == 0 && events.Queued() == 0;
    }

    PictureServer server;
    QueuePoster events;
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
    events.RunFor(50ms); // a second callback would show up here
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
    EXPECT_FALSE(received[11].last.ok);
    EXPECT_EQ(received[11].last.error, "not a picture");
}

TEST_F(DecodeServiceTest, RefusedRequestsReturnZeroAndNeverCallBack) {
    DecodeService service(events, network);
    int calls = 0;
    auto count = [&calls](DecodeOutcome&&) { ++calls; };
    const std::string good = server.Url("/pic.jpg");
    EXPECT_EQ(
        service.Request("ftp://127.0.0.1/pic.jpg", PixelFormat::Argb8888, 176, 176, 10000, count),
        0u);
    EXPECT_EQ(
        service.Request("file:///etc/hostname", PixelFormat::Argb8888, 176, 176, 10000, count), 0u);
    EXPECT_EQ(service.Request("", PixelFormat::Argb8888, 176, 176, 10000, count), 0u);
    EXPECT_EQ(service.Request(good, PixelFormat::Argb8888, 0, 176, 10000, count), 0u);
    EXPECT_EQ(service.Request(good, PixelFormat::Argb8888, 176, 4097, 10000, count), 0u);
    EXPECT_EQ(service.Request(good, static_cast<PixelFormat>(7), 176, 176, 10000, count), 0u);
    EXPECT_EQ(service.InFlight(), 0u);
    events.RunFor(100ms);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(network.InFlight(), 0u);
}

TEST_F(DecodeServiceTest, CancelledRequestsNeverCallBack) {
    DecodeService service(events, network);
    // Cancelled while fetching.
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
    events.RunFor(400ms);
    EXPECT_EQ(received[1].calls, 0);
    EXPECT_EQ(received[2].calls, 0);
    EXPECT_EQ(received[3].calls, 1);
    EXPECT_EQ(service.InFlight(), 0u);
}

TEST_F(DecodeServiceTest, DestroyingWithWorkInFlightIsQuietAndClean) {
    auto total = [this] {
        int calls = 0;
        for (const auto& [key, r] : received) {
            calls += r.calls;
        }
        return calls;
    };
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
        ASSERT_TRUE(events.RunUntil([&] { return total() > 0; }));
        ASSERT_GT(service.InFlight(), 0u);
        before = total();
    }
    events.RunUntil([&] { return network.InFlight() == 0 && events.Queued() == 0; }, 5000ms);
    events.RunFor(400ms);
    EXPECT_EQ(total(), before);
    EXPECT_EQ(network.InFlight(), 0u);
}

} // namespace
} // namespace pregonero::runtime
