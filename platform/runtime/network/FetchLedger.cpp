#include "platform/runtime/network/FetchLedger.h"

namespace pregonero::runtime {

std::shared_ptr<const std::atomic<bool>> FetchLedger::Add(FetchId id, FetchCallback callback) {
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    const std::lock_guard lock(mutex_);
    entries_[id] = Entry{cancelled, std::move(callback)};
    return cancelled;
}

bool FetchLedger::Cancel(FetchId id) {
    const std::lock_guard lock(mutex_);
    const auto found = entries_.find(id);
    if (found == entries_.end()) {
        return false;
    }
    found->second.cancelled->store(true, std::memory_order_release);
    entries_.erase(found);
    return true;
}

void FetchLedger::CancelAll() {
    const std::lock_guard lock(mutex_);
    for (auto& [id, entry] : entries_) {
        entry.cancelled->store(true, std::memory_order_release);
    }
    entries_.clear();
}

void FetchLedger::Deliver(FetchId id, FetchResult&& result) {
    FetchCallback callback;
    {
        const std::lock_guard lock(mutex_);
        const auto found = entries_.find(id);
        if (found == entries_.end()) {
            return;
        }
        callback = std::move(found->second.callback);
        entries_.erase(found);
    }
    // Outside the lock: the callback may start or cancel other fetches.
    if (callback) {
        callback(std::move(result));
    }
}

std::size_t FetchLedger::Pending() const {
    const std::lock_guard lock(mutex_);
    return entries_.size();
}

} // namespace pregonero::runtime
