#include "platform/runtime/pictures/DecodeBudget.h"

namespace pregonero::runtime {

DecodeBudget::DecodeBudget(Clock::time_point deadline,
                           std::shared_ptr<const std::atomic<bool>> cancelled)
    : deadline_(deadline), cancelled_(std::move(cancelled)) {}

bool DecodeBudget::Spent() const {
    return (cancelled_ && cancelled_->load(std::memory_order_relaxed)) || Clock::now() >= deadline_;
}

} // namespace pregonero::runtime
