#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/runtime/network/FetchLimits.h"
#include "platform/runtime/network/FetchResult.h"
#include "platform/runtime/loop/TaskPoster.h"

namespace pregonero::runtime {

class CurlMulti;
class CurlTransfer;
class FetchLedger;

// Every HTTP GET of the program runs here: one thread drives one curl multi
// handle, so transfers overlap and share kept-alive connections. Results reach
// the event thread through the poster, each body whole in one piece.
class NetworkService {
public:
    explicit NetworkService(TaskPoster& poster);
    // Cancels everything and joins the thread; no callback runs afterwards.
    ~NetworkService();
    NetworkService(const NetworkService&) = delete;
    NetworkService& operator=(const NetworkService&) = delete;

    // Returns 0, and never calls back, when url is not an absolute http(s) URL.
    // Otherwise the callback runs exactly once on the event thread, unless the
    // fetch is cancelled first.
    FetchId Start(const std::string& url, const FetchLimits& limits, FetchCallback callback);
    // Event thread only. The callback of id never runs after this returns, even
    // when its delivery is already queued.
    void Cancel(FetchId id);
    // Fetches started and neither delivered nor cancelled. A delivery is posted
    // before this drops, so an empty queue and 0 here means idle.
    std::size_t InFlight() const;
    static bool IsFetchableUrl(std::string_view url);

private:
    struct Request {
        FetchId id;
        std::string url;
        FetchLimits limits;
        std::shared_ptr<const std::atomic<bool>> cancelled;
    };

    void Run();
    bool TakeWork(std::vector<Request>& starts, std::vector<FetchId>& cancels);
    void StartTransfers(std::vector<Request>& starts);
    void CancelTransfers(std::vector<FetchId>& cancels);
    bool Harvest(); // true when a transfer finished
    void Post(FetchId id, FetchResult&& result);

    TaskPoster& poster_;
    std::shared_ptr<FetchLedger> ledger_;
    std::unique_ptr<CurlMulti> multi_;
    std::atomic<FetchId> lastId_{0};

    std::mutex mutex_; // guards the hand-over fields below
    std::vector<Request> starts_;
    std::vector<FetchId> cancels_;
    bool stopping_ = false;

    // Network thread only.
    std::unordered_map<FetchId, std::unique_ptr<CurlTransfer>> transfers_;
    std::thread thread_; // last: starts once everything above exists
};

} // namespace pregonero::runtime
