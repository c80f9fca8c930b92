#include "platform/runtime/network/NetworkService.h"

#include "platform/runtime/network/CurlMulti.h"
#include "platform/runtime/network/CurlTransfer.h"
#include "platform/runtime/network/FetchLedger.h"
#include "platform/runtime/network/UrlCheck.h"

namespace pregonero::runtime {

namespace {
// curl shortens this to its own next deadline; a wakeup ends it at once.
constexpr int kIdlePollMs = 1000;
} // namespace

NetworkService::NetworkService(TaskPoster& poster)
    : poster_(poster), ledger_(std::make_shared<FetchLedger>()),
      multi_(std::make_unique<CurlMulti>()), thread_([this] { Run(); }) {}

NetworkService::~NetworkService() {
    ledger_->CancelAll();
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    multi_->Wakeup();
    thread_.join();
}

bool NetworkService::IsFetchableUrl(std::string_view url) {
    return UrlCheck::IsFetchable(url);
}

FetchId NetworkService::Start(const std::string& url, const FetchLimits& limits,
                              FetchCallback callback) {
    if (!IsFetchableUrl(url)) {
        return 0;
    }
    const FetchId id = ++lastId_;
    auto cancelled = ledger_->Add(id, std::move(callback));
    {
        const std::lock_guard lock(mutex_);
        starts_.push_back(Request{id, url, limits, std::move(cancelled)});
    }
    multi_->Wakeup();
    return id;
}

void NetworkService::Cancel(FetchId id) {
    if (!ledger_->Cancel(id)) {
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        cancels_.push_back(id);
    }
    multi_->Wakeup();
}

std::size_t NetworkService::InFlight() const {
    return ledger_->Pending();
}

void NetworkService::Run() {
    std::vector<Request> starts;
    std::vector<FetchId> cancels;
    while (TakeWork(starts, cancels)) {
        StartTransfers(starts);
        CancelTransfers(cancels);
        multi_->Perform();
        // Removing a finished transfer frees its connection for a queued one;
        // curl only starts that one inside a perform, so perform again now
        // instead of sleeping in the poll first.
        while (Harvest()) {
            multi_->Perform();
        }
        multi_->Poll(kIdlePollMs);
    }
    // Detach every handle while the multi handle still exists.
    transfers_.clear();
}

bool NetworkService::TakeWork(std::vector<Request>& starts, std::vector<FetchId>& cancels) {
    const std::lock_guard lock(mutex_);
    starts.swap(starts_);
    cancels.swap(cancels_);
    return !stopping_;
}

void NetworkService::StartTransfers(std::vector<Request>& starts) {
    for (Request& request : starts) {
        if (request.cancelled->load(std::memory_order_acquire)) {
            continue;
        }
        auto transfer = std::make_unique<CurlTransfer>(request.id, request.limits,
                                                       std::move(request.cancelled));
        if (transfer->Attach(*multi_, request.url)) {
            transfers_.emplace(request.id, std::move(transfer));
        } else {
            FetchResult failed;
            failed.error = "setup failed";
            Post(request.id, std::move(failed));
        }
    }
    starts.clear();
}

void NetworkService::CancelTransfers(std::vector<FetchId>& cancels) {
    for (const FetchId id : cancels) {
        transfers_.erase(id); // the destructor takes the handle off the multi
    }
    cancels.clear();
}

bool NetworkService::Harvest() {
    bool harvested = false;
    FetchResult result;
    while (CurlTransfer* transfer = CurlTransfer::NextFinished(*multi_, &result)) {
        const FetchId id = transfer->Id();
        const bool cancelled = transfer->IsCancelled();
        transfers_.erase(id);
        harvested = true;
        if (!cancelled) {
            Post(id, std::move(result));
        }
    }
    return harvested;
}

void NetworkService::Post(FetchId id, FetchResult&& result) {
    poster_.Post([ledger = ledger_, id, result = std::move(result)]() mutable {
        ledger->Deliver(id, std::move(result));
    });
}

} // namespace pregonero::runtime
