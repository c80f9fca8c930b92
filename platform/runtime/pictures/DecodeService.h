#pragma once

#include "platform/runtime/network/FetchLimits.h"
#include "platform/runtime/network/FetchResult.h"
#include "platform/runtime/pictures/PictureDecoder.h"
#include "platform/runtime/loop/TaskPoster.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

namespace pregonero::runtime {

class NetworkService;
class WorkerPool;

using DecodeId = std::uint64_t; // 0 = refused
using DecodeCallback = std::function<void(DecodeOutcome&&)>;

// Pictures by URL: fetched by the network service, decoded on a small worker
// pool, delivered on the event thread. Request, Cancel and destruction belong
// to the event thread; InFlight may be read anywhere.
class DecodeService {
public:
    static constexpr std::size_t kMaxPictureBytes = 16u << 20;
    static constexpr long kDefaultTimeoutMs = 10000; // used when the caller gives none (<= 0)

    DecodeService(TaskPoster& poster, NetworkService& network, int threads = 2);
    // Cancels everything and joins the workers; no callback runs afterwards.
    ~DecodeService();
    DecodeService(const DecodeService&) = delete;
    DecodeService& operator=(const DecodeService&) = delete;

    // Returns 0 without ever calling back for a URL that is not http(s), a
    // size outside 1..4096, or a fetch the network service refuses. Otherwise
    // the callback runs exactly once, on the event thread, unless cancelled;
    // every failure (abort, status other than 200, not a picture, too large,
    // corrupt) arrives as ok == false with a reason. The time-out covers the
    // download and the decode together: a decode whose time is up is not
    // started, and one that runs past it is abandoned, both failing with
    // DecodeBudget::kTimeout.
    DecodeId Request(const std::string& url, PixelFormat format, int width, int height,
                     long timeoutMs, DecodeCallback callback);
    // The limits picture fetches start from (their total time-out is also
    // capped by the request's); the defaults unless a test hook lowers them.
    void SetBaseLimits(const FetchLimits& limits) { baseLimits_ = limits; }
    // After this returns the callback of id never runs; a pending fetch is
    // cancelled and a decode not yet started is skipped.
    void Cancel(DecodeId id);
    // Requests neither delivered nor cancelled. A result is posted before this
    // drops, so an empty queue and 0 here means idle.
    std::size_t InFlight() const { return inFlight_.load(); }

private:
    struct Pending {
        DecodeCallback callback;
        FetchId fetch = 0; // 0 once the body has arrived
        std::shared_ptr<std::atomic<bool>> cancelled;
        DecodeBudget budget; // the request's deadline, and its cancelled flag
        PixelFormat format;
        int width;
        int height;
    };
    // Lets queued tasks find out, on the event thread, whether the service still exists.
    using Lifeline = std::shared_ptr<DecodeService*>;

    void OnFetched(DecodeId id, FetchResult&& result);
    void StartDecode(DecodeId id, const Pending& pending, std::string&& body);
    void Deliver(DecodeId id, DecodeOutcome&& outcome);

    TaskPoster& poster_;
    NetworkService& network_;
    Lifeline lifeline_;
    FetchLimits baseLimits_;
    DecodeId lastId_ = 0;
    std::unordered_map<DecodeId, Pending> pending_;
    std::atomic<std::size_t> inFlight_{0};
    std::unique_ptr<WorkerPool> pool_; // last: its threads are joined before the rest goes
};

} // namespace pregonero::runtime
