#include "feedserver/ShutdownSignal.h"

#include <chrono>

namespace pregonero::feeds {

bool ShutdownSignal::SleepFor(int milliseconds) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return triggered_; });
    return !triggered_;
}

void ShutdownSignal::Trigger() {
    {
        std::lock_guard lock(mutex_);
        triggered_ = true;
    }
    wake_.notify_all();
}

void ShutdownSignal::Reset() {
    std::lock_guard lock(mutex_);
    triggered_ = false;
}

} // namespace pregonero::feeds
