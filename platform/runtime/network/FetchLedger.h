#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/runtime/network/FetchResult.h"

namespace pregonero::runtime {

// The event thread's record of fetches not yet delivered or cancelled. Posted
// deliveries hold it by shared pointer, so one still queued after the network
// service is gone finds its entry removed and calls nobody.
class FetchLedger {
public:
    // Returns the cancelled flag the network thread watches for this id.
    std::shared_ptr<const std::atomic<bool>> Add(FetchId id, FetchCallback callback);
    // True when the id was still pending; its callback will never run.
    bool Cancel(FetchId id);
    void CancelAll();
    // Runs the callback of id exactly once, unless it was cancelled first.
    void Deliver(FetchId id, FetchResult&& result);
    std::size_t Pending() const;

private:
    struct Entry {
        std::shared_ptr<std::atomic<bool>> cancelled;
        FetchCallback callback;
    };
    mutable std::mutex mutex_;
    std::unordered_map<FetchId, Entry> entries_;
};

} // namespace pregonero::runtime
