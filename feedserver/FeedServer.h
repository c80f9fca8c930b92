#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

#include "feedserver/ServedFileCache.h"
#include "feedserver/ShutdownSignal.h"

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace pregonero::feeds {

// Serves a directory as the newspaper's feed server on 127.0.0.1 over
// HTTP/1.1 with keep-alive. In .xml files the token {{FEED_SERVER}} becomes
// BaseUrl(), so feeds can point at articles and pictures on the same server;
// feeds go out gzipped to clients that accept it. A file changed on disk is
// served as it is now from the next request on.
// A responder, if one is set, may answer any request its own way.
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

    // Asked first about every request, on the server's worker threads, at the
    // same time for different requests: writes the whole response for the
    // path and returns true, or returns false and leaves the response to the
    // server's plain answer. Its waits go through the signal, so that
    // stopping the server cuts them short. Set before Start.
    using Responder =
        std::function<bool(const std::string& path, httplib::Response&, ShutdownSignal&)>;
    void SetResponder(Responder responder) { responder_ = std::move(responder); }

    // How often `path` was asked for (counted for the first 65,536 paths).
    int RequestCount(const std::string& path) const;

    // The file a request path names under the root, with the token replaced
    // in .xml files; false for a missing file or one outside the root.
    bool ReadServedFile(const std::string& path, std::string* body);
    static std::string ContentTypeFor(const std::string& path);

private:
    void Handle(const httplib::Request& request, httplib::Response& response);
    void Record(const std::string& path);
    std::shared_ptr<const std::string> Served(const std::string& path, bool gzip = false);

    std::filesystem::path root_;
    int port_ = 0;
    std::unique_ptr<httplib::Server> server_;
    std::thread listener_;
    ShutdownSignal shutdown_;
    Responder responder_;

    ServedFileCache cache_;

    mutable std::mutex mutex_; // guards requests_
    std::unordered_map<std::string, int> requests_;
};

} // namespace pregonero::feeds
