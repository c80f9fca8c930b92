#include "platform/runtime/pictures/DecodeService.h"

#include "platform/runtime/network/NetworkService.h"
#include "platform/runtime/loop/WorkerPool.h"

#include <algorithm>
#include <chrono>

namespace pregonero::runtime {
namespace {

DecodeOutcome Failure(std::string reason) {
    return DecodeOutcome{false, std::move(reason), nullptr};
}

FetchLimits PictureLimits(FetchLimits limits, long timeoutMs) {
    const long wanted = timeoutMs > 0 ? timeoutMs : DecodeService::kDefaultTimeoutMs;
    limits.totalTimeoutMs =
        limits.totalTimeoutMs > 0 ? std::min(limits.totalTimeoutMs, wanted) : wanted;
    limits.connectTimeoutMs = std::min(limits.connectTimeoutMs, limits.totalTimeoutMs);
    limits.stallTimeoutMs = std::min(limits.stallTimeoutMs, limits.totalTimeoutMs);
    limits.maxBodyBytes = DecodeService::kMaxPictureBytes;
    return limits;
}

} // namespace

DecodeService::DecodeService(TaskPoster& poster, NetworkService& network, int threads)
    : poster_(poster), network_(network), lifeline_(std::make_shared<DecodeService*>(this)),
      pool_(std::make_unique<WorkerPool>(threads)) {}

DecodeService::~DecodeService() {
    *lifeline_ = nullptr;
    for (auto& [id, pending] : pending_) {
        pending.cancelled->store(true);
        if (pending.fetch != 0) {
            network_.Cancel(pending.fetch);
        }
    }
    pending_.clear();
    pool_.reset(); // a decode still running finds the lifeline cut and posts nothing useful
}

DecodeId DecodeService::Request(const std::string& url, PixelFormat format, int width, int height,
                                long timeoutMs, DecodeCallback callback) {
    if (!NetworkService::IsFetchableUrl(url) || width < 1 || height < 1 ||
        width > kMaxRequestedSide || height > kMaxRequestedSide ||
        (format != PixelFormat::Rgb565 && format != PixelFormat::Argb8888)) {
        return 0;
    }
    const DecodeId id = ++lastId_;
    Lifeline lifeline = lifeline_;
    const FetchLimits limits = PictureLimits(baseLimits_, timeoutMs);
    const auto deadline =
        DecodeBudget::Clock::now() + std::chrono::milliseconds(limits.totalTimeoutMs);
    const FetchId fetch = network_.Start(url, limits, [lifeline, id](FetchResult&& result) {
        if (DecodeService* self = *lifeline) {
            self->OnFetched(id, std::move(result));
        }
    });
    if (fetch == 0) {
        return 0;
    }
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    pending_.emplace(id, Pending{std::move(callback), fetch, cancelled,
                                 DecodeBudget(deadline, cancelled), format, width, height});
    ++inFlight_;
    return id;
}

void DecodeService::Cancel(DecodeId id) {
    auto it = pending_.find(id);
    if (it == pending_.end()) {
        return;
    }
    it->second.cancelled->store(true);
    if (it->second.fetch != 0) {
        network_.Cancel(it->second.fetch);
    }
    pending_.erase(it);
    --inFlight_;
}

void DecodeService::OnFetched(DecodeId id, FetchResult&& result) {
    auto it = pending_.find(id);
    if (it == pending_.end()) {
        return;
    }
    it->second.fetch = 0;
    if (result.outcome != FetchOutcome::Completed) {
        Deliver(id, Failure("network: " + (result.error.empty() ? "aborted" : result.error)));
    } else if (result.status != 200) {
        Deliver(id, Failure("HTTP status " + std::to_string(result.status)));
    } else {
        StartDecode(id, it->second, std::move(result.body));
    }
}

void DecodeService::StartDecode(DecodeId id, const Pending& pending, std::string&& body) {
    // The job carries copies only: the callback stays on the event thread.
    pool_->Submit([body = std::move(body), cancelled = pending.cancelled, budget = pending.budget,
                   format = pending.format, width = pending.width, height = pending.height,
                   lifeline = lifeline_, &poster = poster_, id] {
        if (cancelled->load()) {
            return;
        }
        // A request that waited in the queue past its time fails as a late download would.
        DecodeOutcome outcome = budget.Spent() ? Failure(DecodeBudget::kTimeout)
                                               : DecodePicture(body, format, width, height, budget);
        poster.Post([lifeline, id, outcome = std::move(outcome)]() mutable {
            if (DecodeService* self = *lifeline) {
                self->Deliver(id, std::move(outcome));
            }
        });
    });
}

void DecodeService::Deliver(DecodeId id, DecodeOutcome&& outcome) {
    auto it = pending_.find(id);
    if (it == pending_.end()) {
        return;
    }
    DecodeCallback callback = std::move(it->second.callback);
    pending_.erase(it);
    --inFlight_;
    if (callback) {
        callback(std::move(outcome));
    }
}

} // namespace pregonero::runtime
