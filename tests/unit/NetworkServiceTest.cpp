#include "platform/runtime/network/NetworkService.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/QueuePoster.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <zlib.h>

namespace pregonero::runtime {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using testing_support::QueuePoster;

// cpp-httplib on its own thread, for well-behaved responses. Routes are set
// before it listens: its handler table is not guarded against later changes.
class HttpServer {
public:
    explicit HttpServer(const std::function<void(httplib::Server&)>& routes) {
        routes(server_);
        server_.set_keep_alive_max_count(1000);
        server_.set_tcp_nodelay(true);
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        for (int i = 0; i < 500 && !server_.is_running(); ++i) {
            std::this_thread::sleep_for(5ms);
        }
    }
    ~HttpServer() {
        server_.stop();
        thread_.join();
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

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

// A socket server that misbehaves on purpose. Each connection runs on its own
// thread; the first line of each request picks the behaviour by path.
class RawServer {
public:
    RawServer() {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
        listen(listener_, 64);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { AcceptLoop(); });
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
    // Answers with this behaviour; returning true keeps the connection open.
    void Route(const std::string& path, std::function<bool(int, const std::atomic<bool>&)> reply) {
        const std::lock_guard lock(mutex_);
        routes_[path] = std::move(reply);
    }
    std::atomic<int> accepted{0};
    std::atomic<int> closedByPeer{0};

private:
    void AcceptLoop() {
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) {
                continue;
            }
            const int fd = accept(listener_, nullptr, nullptr);
            if (fd >= 0) {
                ++accepted;
                workers_.emplace_back([this, fd] { Serve(fd); });
            }
        }
    }
    void Serve(int fd) {
        std::string path;
        while (ReadRequest(fd, path)) {
            const auto reply = Find(path);
            if (!reply || !reply(fd, stop_)) {
                break;
            }
        }
        if (WaitForPeerClose(fd)) {
            ++closedByPeer;
        }
        close(fd);
    }
    std::function<bool(int, const std::atomic<bool>&)> Find(const std::string& path) {
        const std::lock_guard lock(mutex_);
        const auto found = routes_.find(path);
        return found == routes_.end() ? nullptr : found->second;
    }
    bool ReadRequest(int fd, std::string& path) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            pollfd p{fd, POLLIN, 0};
            if (stop_) {
                return false;
            }
            if (poll(&p, 1, 50) <= 0) {
                continue;
            }
            const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                return false;
            }
            request.append(buffer, static_cast<std::size_t>(n));
        }
        const std::size_t begin = request.find(' ') + 1;
        path = request.substr(begin, request.find(' ', begin) - begin);
        return true;
    }
    bool WaitForPeerClose(int fd) {
        char buffer[4096];
        while (!stop_) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20) > 0 && recv(fd, buffer, sizeof buffer, 0) <= 0) {
                return true;
            }
        }
        return false;
    }
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex mutex_; // routes are added while connections are served
    std::map<std::string, std::function<bool(int, const std::atomic<bool>&)>> routes_;
    std::thread acceptor_;
    std::vector<std::thread> workers_; // touched by the acceptor only until it is joined
};

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

struct Delivery {
    int calls = 0;
    FetchResult result;
};

// Small limits so that the hostile cases end quickly.
FetchLimits QuickLimits() {
    FetchLimits limits;
    limits.connectTimeoutMs = 2000;
    limits.stallTimeoutMs = 1000;
    limits.totalTimeoutMs = 3000;
    limits.maxBodyBytes = 1u << 20;
    return limits;
}

FetchId StartInto(NetworkService& service, const std::string& url, Delivery& into,
                  const FetchLimits& limits = QuickLimits()) {
    return service.Start(url, limits, [&into](FetchResult&& result) {
        ++into.calls;
        into.result = std::move(result);
    });
}

using Reply = std::function<bool(int, const std::atomic<bool>&)>;

// Sends text; then the connection stays open and silent until the client leaves.
Reply Send(std::string text) {
    return [text](int fd, const std::atomic<bool>& stop) {
        SendAll(fd, text, stop);
        return false;
    };
}

// Sends text and hangs up.
Reply SendAndDrop(std::string text) {
    return [text](int fd, const std::atomic<bool>& stop) {
        SendAll(fd, text, stop);
        shutdown(fd, SHUT_WR);
        return false;
    };
}

// Sends head, then piece after piece until the client gives up.
Reply SendForever(std::string head, std::string piece, std::chrono::milliseconds pause) {
    return [head, piece, pause](int fd, const std::atomic<bool>& stop) {
        bool open = SendAll(fd, head, stop);
        while (open && !stop) {
            open = SendAll(fd, piece, stop);
            std::this_thread::sleep_for(pause);
        }
        return false;
    };
}

Reply KeepAliveOk() {
    return [](int fd, const std::atomic<bool>& stop) {
        return SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", stop);
    };
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
    EXPECT_EQ(service.InFlight(), 0u);
    EXPECT_FALSE(poster.WaitForTask(100ms));
    EXPECT_EQ(delivery.calls, 0);
}

TEST(NetworkServiceTest, DeliversWholeBodiesWhateverTheStatus) {
    const std::string binary = Binary(3u << 20);
    const std::string trickled = Binary(3000);
    const std::string text(200000, 'n');
    HttpServer http([&](httplib::Server& server) {
        server.Get("/bin", [&](const httplib::Request&, httplib::Response& res) {
            res.set_content(binary, "application/octet-stream");
        });
        server.Get("/trickled", [&](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("text/plain",
                                             [&](size_t offset, httplib::DataSink& sink) {
                                                 if (offset < trickled.size()) {
                                                     sink.write(&trickled[offset], 1);
                                                 } else {
                                                     sink.done();
                                                 }
                                                 return true;
                                             });
        });
        server.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("nope", "text/plain");
        });
        server.Get("/hop1", [](const auto&, auto& res) { res.set_redirect("/hop2", 301); });
        server.Get("/hop2", [](const auto&, auto& res) { res.set_redirect("/bin"); });
    });
    RawServer raw;
    const std::string packed = Gzip(text);
    raw.Route("/gzip", Send("HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: " +
                            std::to_string(packed.size()) + "\r\n\r\n" + packed));

    QueuePoster poster;
    NetworkService service(poster);
    FetchLimits roomy = QuickLimits();
    roomy.maxBodyBytes = 4u << 20;
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
    poster.RunFor(100ms);
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

TEST(NetworkServiceTest, AbortsOnDeadOrHostileServers) {
    RawServer raw;
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::string chunked = ok + "Transfer-Encoding: chunked\r\n\r\n";
    raw.Route("/silent", Send(ok + "Content-Length: 100\r\n\r\n"));
    raw.Route("/short", SendAndDrop(ok + "Content-Length: 20\r\n\r\n0123456789"));
    raw.Route("/dropchunk", SendAndDrop(chunked + "a\r\n01234"));
    raw.Route("/badchunk", SendAndDrop(chunked + "zz\r\nhola\r\n0\r\n\r\n"));
    raw.Route("/endless",
              SendForever(chunked, "2000\r\n" + std::string(0x2000, 'x') + "\r\n", 0ms));
    raw.Route("/trickle", SendForever(ok + "Content-Length: 1000\r\n\r\n", "x", 200ms));
    std::string many = ok;
    for (int i = 0; i < 20000; ++i) {
        many += "X-H" + std::to_string(i) + ": v\r\n";
    }
    raw.Route("/manyheaders", Send(many + "Content-Length: 0\r\n\r\n"));
    raw.Route("/bigheader",
              Send(ok + "X-Big: " + std::string(300000, 'b') + "\r\nContent-Length: 0\r\n\r\n"));
    const std::string bomb = Gzip(std::string(8u << 20, '\0'));
    raw.Route("/bomb", Send(ok + "Content-Encoding: gzip\r\nContent-Length: " +
                            std::to_string(bomb.size()) + "\r\n\r\n" + bomb));
    HttpServer http([](httplib::Server& server) {
        server.Get("/loop", [](const auto&, auto& res) { res.set_redirect("/loop"); });
        server.Get("/tofile",
                   [](const auto&, auto& res) { res.set_redirect("file:///etc/passwd"); });
    });
    std::string refused;
    {
        RawServer gone;
        refused = gone.Url("/");
    } // its port is closed now

    const std::map<std::string, std::pair<std::string, std::string>> cases = {
        {"stall", {raw.Url("/silent"), "timeout"}},
        {"total time", {raw.Url("/trickle"), "timeout"}},
        {"short body", {raw.Url("/short"), "truncated body"}},
        {"dropped chunk", {raw.Url("/dropchunk"), ""}},
        {"bad chunk", {raw.Url("/badchunk"), ""}},
        {"endless body", {raw.Url("/endless"), "body too large"}},
        {"gzip bomb", {raw.Url("/bomb"), "body too large"}},
        {"many headers", {raw.Url("/manyheaders"), "too many headers"}},
        {"big header", {raw.Url("/bigheader"), ""}},
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
        EXPECT_FALSE(d.result.error.empty()) << name;
        if (!expected.second.empty()) {
            EXPECT_EQ(d.result.error, expected.second) << name;
        }
    }
}

TEST(NetworkServiceTest, CancelledFetchesNeverCallBack) {
    RawServer raw;
    raw.Route("/silent", Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n"));
    raw.Route("/ok", KeepAliveOk());
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
    poster.RunFor(200ms);
    EXPECT_EQ(waiting.calls + posted.calls, 0);
    EXPECT_EQ(service.InFlight(), 0u);

    Delivery after;
    const FetchId done = StartInto(service, raw.Url("/ok"), after);
    ASSERT_TRUE(poster.RunUntil([&] { return after.calls > 0; }));
    service.Cancel(done); // too late to matter
    EXPECT_EQ(after.result.body, "ok");
}

TEST(NetworkServiceTest, DestroyingTheServiceWithFetchesInFlightIsQuiet) {
    RawServer raw;
    raw.Route("/silent", Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n"));
    raw.Route("/ok", KeepAliveOk());
    QueuePoster poster;
    std::vector<Delivery> deliveries(6);
    {
        NetworkService service(poster);
        for (int i = 0; i < 5; ++i) {
            StartInto(service, raw.Url("/silent"), deliveries[i]);
        }
        StartInto(service, raw.Url("/ok"), deliveries[5]);
        ASSERT_TRUE(poster.WaitForTask(5s)); // one completion queued when the service goes
        const auto deadline = Clock::now() + 5s;
        while (raw.accepted < 6 && Clock::now() < deadline) {
            std::this_thread::sleep_for(5ms);
        }
    }
    poster.RunFor(200ms); // the stale delivery runs without the service and calls nobody
    for (const Delivery& d : deliveries) {
        EXPECT_EQ(d.calls, 0);
    }
}

TEST(NetworkServiceTest, ParallelFetchesShareKeptAliveConnections) {
    std::mutex mutex;
    std::set<int> ports;
    HttpServer http([&](httplib::Server& server) {
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

    RawServer raw;
    raw.Route("/ok", KeepAliveOk());
    for (int i = 0; i < 10; ++i) {
        Delivery one;
        StartInto(service, raw.Url("/ok"), one);
        ASSERT_TRUE(poster.RunUntil([&] { return one.calls > 0; }));
        EXPECT_EQ(one.result.body, "ok");
    }
    // Ten fetches in a row reuse the kept-alive connection.
    EXPECT_EQ(raw.accepted, 1);
}

} // namespace
} // namespace pregonero::runtime
