#pragma once

#include "platform/base/Uri.h"
#include "platform/graphics/Bitmap.h"
#include "platform/media/IImageDecodeUrlEventListener.h"

namespace Osp::Media {

// Pictures fetched from a URL and decoded off the event thread, straight to
// the size asked for.
class Image : public Osp::Base::Object {
public:
    static constexpr int kMaxSide = 4096;

    Image();
    ~Image() override;
    result Construct();

    // Refused at once, with no callback: a URL that is not http or https, a
    // size outside 1..4096, an unknown pixel format, a null listener, or a
    // switched-off network (E_NETWORK_UNAVAILABLE). Otherwise exactly one
    // callback, on the event thread, unless the listener is destroyed first.
    // The request does not depend on this object: it may be deleted at once.
    result DecodeUrl(const Osp::Base::Utility::Uri& uri,
                     Osp::Graphics::BitmapPixelFormat pixelFormat, int destWidth, int destHeight,
                     RequestId& reqId, IImageDecodeUrlEventListener* listener, long timeout);

private:
    bool constructed_ = false;
};

} // namespace Osp::Media
