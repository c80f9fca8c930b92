#include "platform/runtime/Runtime.h"

#include "platform/runtime/rendering/Framebuffer.h"
#include "platform/runtime/rendering/TextLayoutCache.h"

#include <cassert>

#include <malloc.h>

namespace pregonero::runtime {

namespace {

Runtime* gRuntime = nullptr;

// Screens build and free tens of megabytes of rows, feed trees and pictures
// at a time.
// glibc would hand each large block straight back to the kernel (mmap and
// trim), so the next screen pays page faults for memory it just freed: keep
// freed memory in the heap instead, up to a bound.
void KeepFreedMemory() {
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
}

} // namespace

Runtime::Runtime()
    : framebuffer_(std::make_unique<Framebuffer>()), layouts_(std::make_unique<TextLayoutCache>()),
      network_(std::make_unique<NetworkService>(loop_)),
      decoder_(std::make_unique<DecodeService>(loop_, *network_)) {
    assert(gRuntime == nullptr);
    gRuntime = this;
    KeepFreedMemory();
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
