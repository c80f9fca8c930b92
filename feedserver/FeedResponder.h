#pragma once

#include <string>

namespace httplib {
struct Response;
} // namespace httplib

namespace pregonero::feeds {

class FeedServer;
class ShutdownSignal;

// A hook the server asks first about every request, so that a misbehaving
// answer can be given without the server knowing how. Called on the server's
// worker threads, at the same time for different requests.
class FeedResponder {
public:
    virtual ~FeedResponder() = default;

    // Writes the whole response for `path` and returns true, or returns false
    // and leaves `response` untouched for the server's plain answer. Waits
    // must go through `shutdown`, so that stopping the server cuts them short.
    virtual bool Respond(const FeedServer& server, const std::string& path,
                         httplib::Response& response, ShutdownSignal& shutdown) = 0;
};

} // namespace pregonero::feeds
