#include "platform/runtime/Runtime.h"

#include "platform/runtime/Framebuffer.h"
#include "platform/runtime/TextLayoutCache.h"

#include <cassert>

namespace pregonero::runtime {

namespace {
Runtime* gRuntime = nullptr;
} // namespace

Runtime::Runtime()
    : framebuffer_(std::make_unique<Framebuffer>()), layouts_(std::make_unique<TextLayoutCache>()),
      network_(std::make_unique<NetworkService>(loop_)),
      decoder_(std::make_unique<DecodeService>(loop_, *network_)) {
    assert(gRuntime == nullptr);
    gRuntime = this;
    decoder_->SetBaseLimits(config_.Tightened(FetchLimits{}));
}

Runtime::~Runtime() {
    decoder_.reset();
    network_.reset();
    gRuntime = nullptr;
}

Runtime& Runtime::Get() {
    assert(gRuntime != nullptr);
    return *gRuntime;
}

bool Runtime::Exists() {
    return gRuntime != nullptr;
}

bool Runtime::Idle(LoopMode mode) const {
    if (mode == LoopMode::InputOnly) {
        // Under a modal box nothing but input runs: a transfer that finishes
        // now is only delivered after the box closes, so waiting for it here
        // could never end.
        return !loop_.HasRunnable(mode);
    }
    return !loop_.HasRunnable(mode) && network_->InFlight() == 0 && decoder_->InFlight() == 0;
}

} // namespace pregonero::runtime
