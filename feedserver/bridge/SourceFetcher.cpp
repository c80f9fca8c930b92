#include "feedserver/bridge/SourceFetcher.h"

#include "platform/runtime/network/CurlMulti.h"
#include "platform/runtime/network/CurlTransfer.h"

namespace pregonero::feeds {

namespace {

constexpr long kMaxTransfers = 6;
constexpr long kMaxPerHost = 2;
// curl shortens this to its own next deadline; Interrupt's wakeup ends it at once.
constexpr int kIdlePollMs = 1000;

runtime::FetchLimits Limits(std::size_t maxBodyBytes) {
    runtime::FetchLimits limits;
    limits.connectTimeoutMs = 10000;
    limits.totalTimeoutMs = 60000;
    limits.maxBodyBytes = maxBodyBytes;
    limits.maxRedirects = 5;
    return limits;
}

std::vector<std::string> Validators(const FetchRequest& request) {
    std::vector<std::string> lines;
    if (!request.etag.empty()) {
        lines.push_back("If-None-Match: " + request.etag);
    }
    if (!request.lastModified.empty()) {
        lines.push_back("If-Modified-Since: " + request.lastModified);
    }
    return lines;
}

FetchReply Reply(runtime::FetchResult&& result, std::size_t maxBodyBytes, bool interrupted) {
    FetchReply reply;
    reply.status = result.status;
    reply.contentType = std::move(result.contentType);
    reply.etag = std::move(result.etag);
    reply.lastModified = std::move(result.lastModified);
    reply.retryAfter = result.retryAfter;
    if (result.outcome == runtime::FetchOutcome::Completed) {
        reply.body = std::move(result.body);
    } else if (result.error == runtime::CurlTransfer::kBodyTooLarge) {
        // The status stays: the source answered, only too much.
        reply.error = "larger than " + std::to_string(maxBodyBytes >> 20) + " MiB";
    } else {
        reply.status = 0;
        reply.error = interrupted ? "interrupted" : std::move(result.error);
    }
    return reply;
}

} // namespace

struct SourceFetcher::Impl {
    std::string userAgent;
    runtime::FetchLimits limits;
    runtime::CurlMulti multi;
    // Shared with every transfer, which stops taking its body once it is set.
    std::shared_ptr<std::atomic<bool>> interrupted = std::make_shared<std::atomic<bool>>(false);
};

SourceFetcher::SourceFetcher(const std::string& userAgent, std::size_t maxBodyBytes)
    : impl_(std::make_unique<Impl>()) {
    impl_->userAgent = userAgent;
    impl_->limits = Limits(maxBodyBytes);
    if (impl_->multi) {
        impl_->multi.LimitConnections(kMaxTransfers, kMaxPerHost);
    }
}

SourceFetcher::~SourceFetcher() = default;

void SourceFetcher::Interrupt() {
    impl_->interrupted->store(true, std::memory_order_release);
    impl_->multi.Wakeup();
}

std::vector<FetchReply> SourceFetcher::FetchAll(const std::vector<FetchRequest>& requests,
                                                const Finished& finished) {
    Impl& impl = *impl_;
    std::vector<FetchReply> replies(requests.size());
    // A transfer lives here until it ends; one still here was interrupted.
    std::vector<std::unique_ptr<runtime::CurlTransfer>> transfers(requests.size());
    std::size_t running = 0;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        auto transfer = std::make_unique<runtime::CurlTransfer>(i, impl.limits, impl.interrupted);
        if (transfer->Attach(impl.multi, requests[i].url, Validators(requests[i]),
                             impl.userAgent)) {
            transfers[i] = std::move(transfer);
            ++running;
        } else {
            replies[i].error = "cannot start the transfer";
            if (finished) {
                finished(i, replies[i]);
            }
        }
    }
    runtime::FetchResult result;
    while (running > 0 && !impl.interrupted->load(std::memory_order_acquire)) {
        impl.multi.Perform();
        bool harvested = false;
        while (runtime::CurlTransfer* transfer =
                   runtime::CurlTransfer::NextFinished(impl.multi, &result)) {
            const std::size_t i = transfer->Id();
            replies[i] =
                Reply(std::move(result), impl.limits.maxBodyBytes, transfer->IsCancelled());
            transfers[i].reset(); // its connection goes back to the cache for a queued one
            --running;
            harvested = true;
            if (finished) {
                finished(i, replies[i]);
            }
        }
        // curl starts a queued transfer on a freed connection only inside a
        // perform, so perform again before sleeping.
        if (!harvested && running > 0) {
            impl.multi.Poll(kIdlePollMs);
        }
    }
    for (std::size_t i = 0; i < transfers.size(); ++i) {
        if (transfers[i]) {
            replies[i] = FetchReply{};
            replies[i].error = "interrupted";
        }
    }
    return replies;
}

} // namespace pregonero::feeds
