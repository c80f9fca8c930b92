#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/network/FetchResult.h"

namespace pregonero::feeds {

// One conditional GET of a newspaper's feed.
struct FetchRequest {
    std::string url;
    std::string etag;         // sent as If-None-Match when not empty
    std::string lastModified; // sent as If-Modified-Since when not empty
};

// As the runtime reports a transfer, but an abort's status is 0 unless the
// source sent a body over the cap.
using FetchReply = runtime::FetchResult;

// Fetches feeds as a polite client: at most 6 transfers at once and 2 per
// host over kept-alive connections, gzip and brotli accepted, at most 5
// redirects to http or https, a 10 s connect and 60 s whole-transfer limit,
// 8 MiB per feed after decompression (or another cap), and the runtime's
// bounds on stalls and on headers. Connections stay cached between calls.
class SourceFetcher {
public:
    static constexpr std::size_t kMaxBodyBytes = 8u << 20;

    explicit SourceFetcher(const std::string& userAgent, std::size_t maxBodyBytes = kMaxBodyBytes);
    ~SourceFetcher();
    SourceFetcher(const SourceFetcher&) = delete;
    SourceFetcher& operator=(const SourceFetcher&) = delete;

    // Runs every request to its end and returns the replies in request
    // order; `finished`, if set, hears each request's index as it ends, on
    // the caller's thread, and may take the body out of the reply. Interrupt, from any thread, ends
    // it early with the unfinished transfers failed.
    using Finished = std::function<void(std::size_t index, FetchReply& reply)>;
    std::vector<FetchReply> FetchAll(const std::vector<FetchRequest>& requests,
                                     const Finished& finished = {});
    void Interrupt();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace pregonero::feeds
