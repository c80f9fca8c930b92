#pragma once

#include <atomic>
#include <chrono>
#include <memory>

namespace pregonero::runtime {

// How long one decode may still run, and whether its caller still wants it.
// Cheap to copy and to ask from any thread; the default never runs out.
class DecodeBudget {
public:
    using Clock = std::chrono::steady_clock;

    // The reason a decode gives when its budget ran out, the same a transfer
    // past its time-out gives.
    static constexpr const char* kTimeout = "timeout";

    DecodeBudget() = default;
    DecodeBudget(Clock::time_point deadline, std::shared_ptr<const std::atomic<bool>> cancelled);

    // The deadline has passed or the caller cancelled.
    bool Spent() const;

private:
    Clock::time_point deadline_ = Clock::time_point::max();
    std::shared_ptr<const std::atomic<bool>> cancelled_;
};

} // namespace pregonero::runtime
