#pragma once

#include "platform/base/IEventListener.h"
#include "platform/base/String.h"
#include "platform/graphics/Bitmap.h"

#include <cstdint>
#include <vector>

namespace Osp::Media {

using RequestId = long;

// Told once per accepted DecodeUrl request. The bitmap belongs to the
// platform and lives until the callback returns: keep a copy (copies share
// the pixels). Destroying a listener cancels the requests still pending for it.
class IImageDecodeUrlEventListener : public virtual Osp::Base::Runtime::IEventListener {
public:
    IImageDecodeUrlEventListener();
    ~IImageDecodeUrlEventListener() override;
    IImageDecodeUrlEventListener(const IImageDecodeUrlEventListener&) = delete;
    IImageDecodeUrlEventListener& operator=(const IImageDecodeUrlEventListener&) = delete;

    virtual void OnImageDecodeUrlReceived(RequestId requestId, Osp::Graphics::Bitmap* pBitmap,
                                          result r, const Osp::Base::String errorCode,
                                          const Osp::Base::String errorMessage) = 0;

    // The stand-in's bookkeeping of the requests in flight for this listener.
    void TrackRequest(std::uint64_t id);
    void ForgetRequest(std::uint64_t id);
    std::size_t PendingRequests() const { return pending_.size(); }

private:
    std::vector<std::uint64_t> pending_;
};

} // namespace Osp::Media
