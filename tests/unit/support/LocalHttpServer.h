#pragma once

#include <httplib.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace testing_support {

// cpp-httplib on 127.0.0.1 on its own thread, serving the routes a test gives
// it. Routes are set before it listens: its handler table is not guarded
// against later changes.
class LocalHttpServer {
public:
    explicit LocalHttpServer(const std::function<void(httplib::Server&)>& routes) {
        routes(server_);
        // Enough threads for a connection each: slow and silent responses
        // must not hold up the others.
        server_.new_task_queue = [] { return new httplib::ThreadPool(32); };
        server_.set_keep_alive_max_count(1000);
        server_.set_tcp_nodelay(true);
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!server_.is_running() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ~LocalHttpServer() {
        server_.stop();
        thread_.join();
    }
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

// Answers with `body` after `delayMs`: a slow server, not a slow test.
inline httplib::Server::Handler Late(std::string body, std::string type, int delayMs) {
    return [body = std::move(body), type = std::move(type), delayMs](const httplib::Request&,
                                                                     httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        res.set_content(body, type.c_str());
    };
}

} // namespace testing_support
