#include "platform/media/IImageDecodeUrlEventListener.h"

#include "platform/runtime/Runtime.h"

#include <algorithm>

namespace Osp::Media {

IImageDecodeUrlEventListener::IImageDecodeUrlEventListener() = default;

IImageDecodeUrlEventListener::~IImageDecodeUrlEventListener() {
    if (!pregonero::runtime::Runtime::Exists()) {
        return;
    }
    // No callback may reach a listener that is gone: cancel what is pending.
    auto& decoder = pregonero::runtime::Runtime::Get().Decoder();
    for (std::uint64_t id : pending_) {
        decoder.Cancel(id);
    }
}

void IImageDecodeUrlEventListener::TrackRequest(std::uint64_t id) {
    pending_.push_back(id);
}

void IImageDecodeUrlEventListener::ForgetRequest(std::uint64_t id) {
    pending_.erase(std::remove(pending_.begin(), pending_.end(), id), pending_.end());
}

} // namespace Osp::Media
