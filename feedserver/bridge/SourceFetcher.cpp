#include "feedserver/bridge/SourceFetcher.h"

#include <atomic>

#include "platform/runtime/network/CurlMulti.h"
#include "platform/runtime/network/CurlTransfer.h"

namespace pregonero::feeds {

namespace {

constexpr long kMaxTransfers = 6;
constexpr long kMaxPerHost = 2;
// curl shortens this to its own next deadline; Interrupt's wakeup ends it at once.
constexpr int kIdlePollMs = 1000;

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

// The status of an abort is 0, unless the source answered with too much.
void Explain(FetchReply& reply, std::size_t maxBodyBytes, bool interrupted) {
    if (reply.outcome == runtime::FetchOutcome::Completed) {
        return;
    }
    if (reply.error == runtime::CurlTransfer::kBodyTooLarge) {
        reply.error = "larger than " + std::to_string(maxBodyBytes >> 20) + " MiB";
    } else {
        reply.status = 0;
        if (interrupted) {
            reply.error = "interrupted";
        }
    }
}

} // namespace

struct SourceFetcher::Impl {
    std::string userAgent;
    runtime::FetchLimits limits;
    runtime::CurlMulti multi{kMaxPerHost, kMaxTransfers};
    // Shared with every transfer, which stops taking its body once it is set.
    std::shared_ptr<std::atomic<bool>> interrupted = std::make_shared<std::atomic<bool>>(false);
};

SourceFetcher::SourceFetcher(const std::string& userAgent, std::size_t maxBodyBytes)
    : impl_(std::make_unique<Impl>()) {
    impl_->userAgent = userAgent;
    impl_->limits = {.connectTimeoutMs = 10000,
                     .totalTimeoutMs = 60000,
                     .maxBodyBytes = maxBodyBytes,
                     .maxRedirects = 5};
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
    FetchReply reply;
    while (running > 0 && !impl.interrupted->load(std::memory_order_acquire)) {
        impl.multi.Perform();
        bool harvested = false;
        while (auto* transfer = runtime::CurlTransfer::NextFinished(impl.multi, &reply)) {
            const std::size_t i = transfer->Id();
            Explain(reply, impl.limits.maxBodyBytes, transfer->IsCancelled());
            replies[i] = std::move(reply);
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
