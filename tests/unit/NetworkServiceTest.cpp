#include "platform/runtime/NetworkService.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "support/LocalHttpServer.h"
#include "support/QueuePoster.h"

namespace pregonero::runtime {
namespace {

using namespace std::chrono_literals;
using testing_support::LocalHttpServer;
using testing_support::QueuePoster;

// Answers one request on fd; true keeps the connection open for the next.
using Reply = std::function<bool(int fd, const std::atomic<bool>& stop)>;

bool SendAll(int fd, const std::string& data, const std::atomic<bool>& stop) {
    std::size_t sent = 0;
    while (sent < data.size() && !stop) {
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, 50) <= 0) {
            continue;
        }
        const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return sent == data.size();
}

// Waits up to 50 ms for fd to be readable: false on time-out.
bool Readable(int fd, int ms = 50) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, ms) > 0;
}

// A socket server that misbehaves on purpose, for what cpp-httplib will not
// send. Each connection runs on its own thread; the request's path picks the
// reply. The routes are fixed before the first connection.
class RawServer {
public:
    explicit RawServer(std::map<std::string, Reply> routes) : routes_(std::move(routes)) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
        listen(listener_, 64);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] {
            while (!stop_) {
                const int fd = Readable(listener_, 20) ? accept(listener_, nullptr, nullptr) : -1;
                if (fd >= 0) {
                    ++accepted;
                    workers_.emplace_back([this, fd] { Serve(fd); });
                }
            }
        });
    }
    ~RawServer() {
        stop_ = true;
        acceptor_.join();
        for (auto& worker : workers_) {
            worker.join();
        }
        close(listener_);
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    std::atomic<int> accepted{0};
    std::atomic<int> closedByPeer{0};

private:
    void Serve(int fd) {
        std::string request;
        char buffer[4096];
        bool open = true;
        while (open && !stop_) {
            const std::size_t end = request.find("\r\n\r\n");
            if (end != std::string::npos) {
                const std::size_t begin = request.find(' ') + 1;
                const auto found =
                    routes_.find(request.substr(begin, request.find(' ', begin) - begin));
                request.erase(0, end + 4);
                open = found != routes_.end() && found->second(fd, stop_);
            } else if (Readable(fd)) {
                const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
                open = n > 0;
                request.append(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
            }
        }
        // Wait for the client to hang up (or the server to stop).
        while (!stop_) {
            if (Readable(fd, 20) && recv(fd, buffer, sizeof buffer, 0) <= 0) {
                ++closedByPeer;
                break;
            }
        }
        close(fd);
    }
    const std::map<std::string, Reply> routes_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread acceptor_;
    std::vector<std::thread> workers_; // touched by the acceptor only until it is joined
};

// Sends text, then hangs up or stays open and silent until the client leaves.
Reply Send(std::string text, bool hangUp = false) {
    return [text, hangUp](int fd, const std::atomic<bool>& stop) {
        SendAll(fd, text, stop);
        if (hangUp) {
            shutdown(fd, SHUT_WR);
        }
        return false;
    };
}

// Sends head, then piece after piece until the client gives up.
Reply SendForever(std::string head, std::string piece, std::chrono::milliseconds pause) {
    return [head, piece, pause](int fd, const std::atomic<bool>& stop) {
        bool open = SendAll(fd, head, stop);
        while (open && !stop) {
            open = SendAll(fd, piece, stop);
            std::this_thread::sleep_for(pause); // the server's pace, not the test's
        }
        return false;
    };
}

Reply KeepAliveOk() {
    return [](int fd, const std::atomic<bool>& stop) {
        return SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", stop);
    };
}

const std::string kSilent = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n";

std::string Gzip(const std::string& plain) {
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
    std::string packed(deflateBound(&stream, plain.size()) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    stream.avail_in = static_cast<uInt>(plain.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = static_cast<uInt>(packed.size());
    deflate(&stream, Z_FINISH);
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    return packed;
}

std::string Binary(std::size_t size) {
    std::string data(size, '\0');
    std::uint32_t state = 12345;
    for (char& c : data) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    return data;
}

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

FetchId StartInto(NetworkService& service, const std::string& url, Delivery& into,
                  const FetchLimits& limits = QuickLimits()) {
    return service.Start(url, limits, [&into](FetchResult&& result) {
        ++into.calls;
        into.result = std::move(result);
    });
}

TEST(NetworkServiceTest, RefusesAnythingButAbsoluteHttpUrls) {
    for (const char* good :
         {"http://127.0.0.1/", "HTTPS://example.com/a?b=c", "http://h:8080/p#f"}) {
        EXPECT_TRUE(NetworkService::IsFetchableUrl(good)) << good;
    }
    QueuePoster poster;
    NetworkService service(poster);
    Delivery delivery;
    for (const char* bad :
         {"file:///etc/passwd", "ftp://127.0.0.1/x", "gopher://127.0.0.1/", "javascript:alert(1)",
          "", "http://", "https://", "http:///etc/passwd", "http:/127.0.0.1/x", "127.0.0.1/x",
          "http://127.0.0.1/a b", "data:text/plain,hola"}) {
        EXPECT_FALSE(NetworkService::IsFetchableUrl(bad)) << bad;
        EXPECT_EQ(StartInto(service, bad, delivery), 0u) << bad;
    }
    EXPECT_FALSE(NetworkService::IsFetchableUrl(std::string_view("http://a\0b/", 11)));
    // Refused at once: nothing started, nothing queued, nothing can come later.
    EXPECT_EQ(service.InFlight(), 0u);
    EXPECT_EQ(poster.Queued(), 0u);
    EXPECT_EQ(delivery.calls, 0);
}

TEST(NetworkServiceTest, DeliversWholeBodiesWhateverTheStatus) {
    const std::string binary = Binary(3u << 20);
    const std::string trickled = Binary(3000);
    const std::string text(200000, 'n');
    LocalHttpServer http([&](httplib::Server& server) {
        server.Get("/bin", [&](const auto&, auto& res) {
            res.set_content(binary, "application/octet-stream");
        });
        server.Get("/trickled", [&](const auto&, auto& res) {
            res.set_chunked_content_provider("text/plain",
                                             [&](size_t offset, httplib::DataSink& sink) {
                                                 if (offset < trickled.size()) {
                                                     return sink.write(&trickled[offset], 1);
                                                 }
                                                 sink.done();
                                                 return true;
                                             });
        });
        server.Get("/missing", [](const auto&, auto& res) {
            res.status = 404;
            res.set_content("nope", "text/plain");
        });
        server.Get("/hop1", [](const auto&, auto& res) { res.set_redirect("/hop2", 301); });
        server.Get("/hop2", [](const auto&, auto& res) { res.set_redirect("/bin"); });
    });
    const std::string packed = Gzip(text);
    RawServer raw({{"/gzip", Send("HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: " +
                                  std::to_string(packed.size()) + "\r\n\r\n" + packed)}});

    QueuePoster poster;
    NetworkService service(poster);
    const FetchLimits roomy = QuickLimits(4u << 20);
    Delivery bin, chunked, missing, redirected, gzip, chained;
    StartInto(service, http.Url("/bin"), bin, roomy);
    StartInto(service, http.Url("/trickled"), chunked);
    StartInto(service, http.Url("/hop1"), redirected, roomy);
    StartInto(service, raw.Url("/gzip"), gzip);
    const FetchId id = service.Start(http.Url("/missing"), QuickLimits(), [&](FetchResult&& r) {
        ++missing.calls;
        missing.result = std::move(r);
        // A callback may start the next fetch right away.
        StartInto(service, http.Url("/bin"), chained, roomy);
    });
    EXPECT_NE(id, 0u);
    EXPECT_EQ(service.InFlight(), 5u);

    ASSERT_TRUE(poster.RunUntil([&] { return chained.calls > 0 && service.InFlight() == 0; }));
    ASSERT_TRUE(poster.Drain());
    for (const Delivery* d : {&bin, &chunked, &missing, &redirected, &gzip, &chained}) {
        EXPECT_EQ(d->calls, 1);
        EXPECT_EQ(d->result.outcome, FetchOutcome::Completed) << d->result.error;
    }
    EXPECT_EQ(bin.result.status, 200);
    EXPECT_TRUE(bin.result.body == binary);
    EXPECT_TRUE(chained.result.body == binary);
    EXPECT_TRUE(redirected.result.body == binary);
    EXPECT_TRUE(chunked.result.body == trickled);
    EXPECT_EQ(missing.result.status, 404);
    EXPECT_EQ(missing.result.body, "nope");
    EXPECT_TRUE(gzip.result.body == text); // decoded, not the bytes on the wire
}

// Each limit of our own, and the reason it gives. Malformed framing that curl
// itself rejects is driven through the whole program by the fault matrix.
TEST(NetworkServiceTest, AbortsOnDeadOrHostileServers) {
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::string chunked = ok + "Transfer-Encoding: chunked\r\n\r\n";
    std::string many = ok;
    for (int i = 0; i < 20000; ++i) {
        many += "X-H" + std::to_string(i) + ": v\r\n";
    }
    const std::string bomb = Gzip(std::string(8u << 20, '\0'));
    RawServer raw({
        {"/silent", Send(kSilent)},
        {"/short", Send(ok + "Content-Length: 20\r\n\r\n0123456789", true)},
        {"/endless", SendForever(chunked, "2000\r\n" + std::string(0x2000, 'x') + "\r\n", 0ms)},
        {"/trickle", SendForever(ok + "Content-Length: 1000\r\n\r\n", "x", 200ms)},
        {"/manyheaders", Send(many + "Content-Length: 0\r\n\r\n")},
        {"/bomb", Send(ok + "Content-Encoding: gzip\r\nContent-Length: " +
                       std::to_string(bomb.size()) + "\r\n\r\n" + bomb)},
    });
    LocalHttpServer http([](httplib::Server& server) {
        server.Get("/loop", [](const auto&, auto& res) { res.set_redirect("/loop"); });
        server.Get("/tofile",
                   [](const auto&, auto& res) { res.set_redirect("file:///etc/passwd"); });
    });
    std::string refused;
    {
        RawServer gone({});
        refused = gone.Url("/");
    } // its port is closed now

    const std::map<std::string, std::pair<std::string, std::string>> cases = {
        {"stall", {raw.Url("/silent"), "timeout"}},
        {"total time", {raw.Url("/trickle"), "timeout"}},
        {"short body", {raw.Url("/short"), "truncated body"}},
        {"endless body", {raw.Url("/endless"), "body too large"}},
        {"gzip bomb", {raw.Url("/bomb"), "body too large"}},
        {"many headers", {raw.Url("/manyheaders"), "too many headers"}},
        {"redirect loop", {http.Url("/loop"), "too many redirects"}},
        {"redirect to file", {http.Url("/tofile"), "unsupported protocol"}},
        {"refused", {refused, "connection failed"}},
    };
    QueuePoster poster;
    NetworkService service(poster);
    std::map<std::string, Delivery> deliveries;
    for (const auto& [name, expected] : cases) {
        EXPECT_NE(StartInto(service, expected.first, deliveries[name]), 0u) << name;
    }
    // Every fault ends by itself: stalls and time-outs included.
    ASSERT_TRUE(poster.RunUntil([&] { return service.InFlight() == 0; }));
    for (const auto& [name, expected] : cases) {
        const Delivery& d = deliveries[name];
        EXPECT_EQ(d.calls, 1) << name;
        EXPECT_EQ(d.result.outcome, FetchOutcome::Aborted) << name;
        EXPECT_EQ(d.result.error, expected.second) << name;
    }
}

TEST(NetworkServiceTest, CancelledFetchesNeverCallBack) {
    RawServer raw({{"/silent", Send(kSilent)}, {"/ok", KeepAliveOk()}});
    QueuePoster poster;
    NetworkService service(poster);

    Delivery waiting;
    const FetchId slow = StartInto(service, raw.Url("/silent"), waiting);
    ASSERT_TRUE(poster.RunUntil([&] { return raw.accepted > 0; }));
    service.Cancel(slow);
    EXPECT_EQ(service.InFlight(), 0u);
    // The transfer really stops: its connection is closed, long before any time-out.
    EXPECT_TRUE(poster.RunUntil([&] { return raw.closedByPeer > 0; }, 900ms));

    Delivery posted;
    const FetchId fast = StartInto(service, raw.Url("/ok"), posted);
    ASSERT_TRUE(poster.WaitForTask(5s)); // the completion sits in the queue, not yet run
    service.Cancel(fast);
    service.Cancel(fast);
    service.Cancel(0);
    service.Cancel(987654);
    ASSERT_TRUE(poster.Drain());
    EXPECT_EQ(waiting.calls + posted.calls, 0);
    EXPECT_EQ(service.InFlight(), 0u);

    Delivery after;
    const FetchId done = StartInto(service, raw.Url("/ok"), after);
    ASSERT_TRUE(poster.RunUntil([&] { return after.calls > 0; }));
    service.Cancel(done); // too late to matter
    EXPECT_EQ(after.result.body, "ok");
}

TEST(NetworkServiceTest, DestroyingTheServiceWithFetchesInFlightIsQuiet) {
    RawServer raw({{"/silent", Send(kSilent)}, {"/ok", KeepAliveOk()}});
    QueuePoster poster;
    std::vector<Delivery> deliveries(6);
    {
        NetworkService service(poster);
        for (int i = 0; i < 5; ++i) {
            StartInto(service, raw.Url("/silent"), deliveries[i]);
        }
        StartInto(service, raw.Url("/ok"), deliveries[5]);
        ASSERT_TRUE(poster.WaitForTask(5s)); // one completion queued when the service goes
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (raw.accepted < 6 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(5ms);
        }
    }
    ASSERT_TRUE(poster.Drain()); // the stale delivery runs without the service and calls nobody
    for (const Delivery& d : deliveries) {
        EXPECT_EQ(d.calls, 0);
    }
}

TEST(NetworkServiceTest, ParallelFetchesShareKeptAliveConnections) {
    std::mutex mutex;
    std::set<int> ports;
    LocalHttpServer http([&](httplib::Server& server) {
        server.Get(R"(/n/(\d+))", [&](const httplib::Request& req, httplib::Response& res) {
            {
                const std::lock_guard lock(mutex);
                ports.insert(req.remote_port);
            }
            res.set_content("body-" + req.matches[1].str(), "text/plain");
        });
    });
    QueuePoster poster;
    NetworkService service(poster);
    std::vector<Delivery> deliveries(100);
    for (std::size_t i = 0; i < deliveries.size(); ++i) {
        StartInto(service, http.Url("/n/" + std::to_string(i)), deliveries[i]);
    }
    ASSERT_TRUE(poster.RunUntil([&] { return service.InFlight() == 0; }));
    for (std::size_t i = 0; i < deliveries.size(); ++i) {
        EXPECT_EQ(deliveries[i].calls, 1);
        EXPECT_EQ(deliveries[i].result.body, "body-" + std::to_string(i));
    }
    {
        const std::lock_guard lock(mutex);
        EXPECT_LE(ports.size(), 6u); // a few connections, each reused
    }
}

} // namespace
} // namespace pregonero::runtime
