#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "feedserver/FaultRule.h"
#include "feedserver/ShutdownSignal.h"

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace pregonero::feeds {

// Serves a directory as the newspaper's feed server on 127.0.0.1 over
// HTTP/1.1 with keep-alive. In .xml files the token {{FEED_SERVER}} becomes
// BaseUrl(), so feeds can point at articles and pictures on the same server.
// Fault rules per exact request path make it misbehave on purpose.
class FeedServer {
public:
    static constexpr const char* kToken = "{{FEED_SERVER}}";

    FeedServer();
    ~FeedServer();
    FeedServer(const FeedServer&) = delete;
    FeedServer& operator=(const FeedServer&) = delete;

    // port 0 picks an ephemeral port. False if rootDir is not a directory,
    // the port cannot be bound or the server is already running.
    bool Start(const std::string& rootDir, int port = 0);
    void Stop();

    int Port() const { return port_; }
    std::string BaseUrl() const;

    void SetRule(const std::string& path, FaultRule rule);
    void ClearRules();

    std::vector<std::string> RequestedPaths() const;
    int RequestCount(const std::string& path) const;

private:
    void Handle(const httplib::Request& request, httplib::Response& response);
    FaultRule RuleFor(const std::string& path) const;
    void Record(const std::string& path);
    bool ReadServedFile(const std::string& path, std::string* body) const;

    std::filesystem::path root_;
    int port_ = 0;
    std::unique_ptr<httplib::Server> server_;
    std::thread listener_;
    ShutdownSignal shutdown_;

    mutable std::mutex mutex_; // guards rules_ and requests_
    std::map<std::string, FaultRule> rules_;
    std::vector<std::string> requests_;
};

} // namespace pregonero::feeds
