#include "feedserver/FeedServer.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <sys/socket.h>

#include <httplib.h>

namespace pregonero::feeds {

namespace {

// The reader opens many thumbnail transfers at once and keeps connections
// alive, so the pool must outnumber the connections of one screen.
constexpr std::size_t kWorkerThreads = 16;
constexpr std::size_t kKeepAliveRequests = 1000;
// An edition with its pictures fits; a folder far larger is read per request.
constexpr std::size_t kCacheBytes = 256u << 20;
// Distinct paths counted, so that a long-running server asked for endless
// made-up paths does not grow without end.
constexpr std::size_t kCountedPaths = 65536;

bool IsUnder(const std::filesystem::path& root, const std::filesystem::path& candidate) {
    auto [rootEnd, ignored] =
        std::mismatch(root.begin(), root.end(), candidate.begin(), candidate.end());
    return rootEnd == root.end();
}

// Whether an Accept-Encoding header takes gzip: named without q=0, or left
// to a "*" without q=0.
bool AcceptsGzip(const std::string& header) {
    std::optional<bool> named;
    std::optional<bool> anything;
    std::istringstream items(header);
    for (std::string item; std::getline(items, item, ',');) {
        std::erase_if(item, [](char c) { return c == ' ' || c == '\t'; });
        std::transform(item.begin(), item.end(), item.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const std::size_t semicolon = item.find(';');
        const std::size_t q = item.find("q=", semicolon == std::string::npos ? 0 : semicolon);
        const bool taken = semicolon == std::string::npos || q == std::string::npos ||
                           std::strtod(item.c_str() + q + 2, nullptr) > 0;
        const std::string name = item.substr(0, semicolon);
        if (name == "gzip" || name == "x-gzip") {
            named = taken;
        } else if (name == "*") {
            anything = taken;
        }
    }
    return named.value_or(anything.value_or(false));
}

} // namespace

std::string FeedServer::ContentTypeFor(const std::string& path) {
    static const std::pair<const char*, const char*> kTypes[] = {
        {".xml", "text/xml"},  {".jpg", "image/jpeg"},  {".jpeg", "image/jpeg"},
        {".png", "image/png"}, {".webp", "image/webp"}, {".gif", "image/gif"},
    };
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const auto& [extension, type] : kTypes) {
        if (lower.ends_with(extension)) {
            return type;
        }
    }
    return "application/octet-stream";
}

FeedServer::FeedServer() : cache_(kCacheBytes) {}

FeedServer::~FeedServer() {
    Stop();
}

bool FeedServer::Start(const std::string& rootDir, int port) {
    std::error_code error;
    if (server_ || !std::filesystem::is_directory(rootDir, error)) {
        return false;
    }
    root_ = std::filesystem::canonical(rootDir, error);
    if (error) {
        return false;
    }
    auto server = std::make_unique<httplib::Server>();
    server->new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    server->set_keep_alive_max_count(kKeepAliveRequests);
    // Headers and body go out in separate writes; without this the client's
    // delayed acknowledgement holds every small response for some 40 ms.
    server->set_tcp_nodelay(true);
    // httplib also sets SO_REUSEPORT by default, which would let a second
    // server share a busy port and steal half its connections.
    server->set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        Handle(request, response);
    });
    port_ = port == 0 ? server->bind_to_any_port("127.0.0.1")
                      : (server->bind_to_port("127.0.0.1", port) ? port : -1);
    if (port_ <= 0) {
        port_ = 0;
        return false;
    }
    shutdown_.Reset();
    cache_.Clear(); // feeds carry the address, which may have changed
    server_ = std::move(server);
    listener_ = std::thread([server = server_.get()] { server->listen_after_bind(); });
    // stop() is ignored until the listen loop runs, so wait for it here.
    for (int i = 0; i < 5000 && !server_->is_running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void FeedServer::Stop() {
    if (!server_) {
        return;
    }
    shutdown_.Trigger();
    server_->stop();
    if (listener_.joinable()) {
        listener_.join();
    }
    server_.reset();
    port_ = 0;
}

std::string FeedServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

int FeedServer::RequestCount(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const auto found = requests_.find(path);
    return found == requests_.end() ? 0 : found->second;
}

void FeedServer::Record(const std::string& path) {
    std::lock_guard lock(mutex_);
    if (requests_.size() < kCountedPaths || requests_.count(path) != 0) {
        ++requests_[path];
    }
}

std::shared_ptr<const std::string> FeedServer::Served(const std::string& path, bool gzip) {
    if (path.empty() || path.front() != '/' || path.find("..") != std::string::npos) {
        return nullptr;
    }
    std::error_code error;
    const auto file = std::filesystem::weakly_canonical(root_ / path.substr(1), error);
    if (error || !IsUnder(root_, file)) {
        return nullptr;
    }
    return cache_.Read(file, ContentTypeFor(path) == "text/xml", kToken, BaseUrl(), gzip);
}

bool FeedServer::ReadServedFile(const std::string& path, std::string* body) {
    const auto served = Served(path);
    if (served) {
        *body = *served;
    }
    return served != nullptr;
}

void FeedServer::Handle(const httplib::Request& request, httplib::Response& response) {
    Record(request.path);
    if (responder_ && responder_(request.path, response, shutdown_)) {
        return;
    }
    // Feeds go out gzipped to a client that takes it, compressed once per
    // change of the file; pictures are compressed already.
    const std::string type = ContentTypeFor(request.path);
    const bool gzip =
        type == "text/xml" && AcceptsGzip(request.get_header_value("Accept-Encoding"));
    const auto body = Served(request.path, gzip);
    if (body && body->empty()) {
        // The library never ends a provider of no bytes.
        response.status = 200;
        response.set_content(std::string(), type);
    } else if (body) {
        response.status = 200;
        if (type == "text/xml") {
            response.set_header("Vary", "Accept-Encoding");
        }
        if (gzip) {
            response.set_header("Content-Encoding", "gzip");
        }
        // A provider of known length: the kept body is sent as it is, neither
        // copied nor compressed again by the HTTP library.
        response.set_content_provider(
            body->size(), type,
            [body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                return sink.write(body->data() + offset, length);
            });
    } else {
        response.status = 404;
        response.set_content("404\n", "text/plain");
    }
}

} // namespace pregonero::feeds
