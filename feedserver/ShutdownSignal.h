#pragma once

#include <condition_variable>
#include <mutex>

namespace pregonero::feeds {

// Lets the server's delays and stalls sleep, yet end at once when the server
// stops, so Stop() never waits out a five-second stall.
class ShutdownSignal {
public:
    // Returns false when the wait was cut short by Trigger().
    bool SleepFor(int milliseconds);
    void Trigger();
    void Reset();

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool triggered_ = false;
};

} // namespace pregonero::feeds
