#include "platform/media/Image.h"

#include "platform/runtime/Runtime.h"

namespace Osp::Media {

using pregonero::runtime::DecodeOutcome;
using pregonero::runtime::PixelFormat;
using pregonero::runtime::Runtime;

namespace {
RequestId gNextRequestId = 1;
} // namespace

Image::Image() = default;
Image::~Image() = default;

result Image::Construct() {
    constructed_ = true;
    return E_SUCCESS;
}

result Image::DecodeUrl(const Osp::Base::Utility::Uri& uri,
                        Osp::Graphics::BitmapPixelFormat pixelFormat, int destWidth, int destHeight,
                        RequestId& reqId, IImageDecodeUrlEventListener* listener, long timeout) {
    if (!constructed_ || !Runtime::Exists()) {
        return E_INVALID_STATE;
    }
    if (listener == nullptr || !uri.IsHttp() || destWidth < 1 || destHeight < 1 ||
        destWidth > kMaxSide || destHeight > kMaxSide ||
        (pixelFormat != Osp::Graphics::BITMAP_PIXEL_FORMAT_RGB565 &&
         pixelFormat != Osp::Graphics::BITMAP_PIXEL_FORMAT_ARGB8888)) {
        return E_INVALID_ARG;
    }
    auto& runtime = Runtime::Get();
    if (!runtime.Settings().networkOn.load()) {
        return E_NETWORK_UNAVAILABLE;
    }
    RequestId requestId = gNextRequestId++;
    auto format = pixelFormat == Osp::Graphics::BITMAP_PIXEL_FORMAT_RGB565 ? PixelFormat::Rgb565
                                                                           : PixelFormat::Argb8888;
    // The listener cancels its requests when destroyed, so it is alive here.
    auto id = std::make_shared<std::uint64_t>(0);
    std::uint64_t decodeId = runtime.Decoder().Request(
        uri.ToString().ToUtf8(), format, destWidth, destHeight, timeout,
        [listener, requestId, id](DecodeOutcome&& outcome) {
            listener->ForgetRequest(*id);
            if (outcome.ok && outcome.picture) {
                Osp::Graphics::Bitmap bitmap(outcome.picture);
                listener->OnImageDecodeUrlReceived(requestId, &bitmap, E_SUCCESS,
                                                   Osp::Base::String(), Osp::Base::String());
                return;
            }
            listener->OnImageDecodeUrlReceived(requestId, nullptr, E_FAILURE,
                                               Osp::Base::String("E_FAILURE"),
                                               Osp::Base::String(outcome.error.c_str()));
        });
    if (decodeId == 0) {
        return E_INVALID_ARG;
    }
    *id = decodeId;
    listener->TrackRequest(decodeId);
    reqId = requestId;
    return E_SUCCESS;
}

} // namespace Osp::Media
