#include "net/PictureRequest.h"

#include <memory>

#include "net/ImageLoader.h"
#include "platform/base/Uri.h"
#include "platform/media/Image.h"

using Osp::Graphics::BitmapPixelFormat;

result PictureRequest::Start(ImageLoader* loader, const Osp::Base::String& url,
                             BitmapPixelFormat format, int width, int height) {
    // The request does not depend on the Image once started, so it goes at once.
    auto image = std::make_unique<Osp::Media::Image>();
    image->Construct();
    Osp::Base::Utility::Uri uri;
    uri.SetUri(url);
    Osp::Media::RequestId requestId = kPresetRequestId;
    return image->DecodeUrl(uri, format, width, height, requestId, loader, kTimeoutMs);
}

BitmapPixelFormat PictureRequest::FormatForUrl(const Osp::Base::String& url) {
    if (url.EndsWith(L"png") || url.EndsWith(L"PNG")) {
        return Osp::Graphics::BITMAP_PIXEL_FORMAT_ARGB8888;
    }
    return Osp::Graphics::BITMAP_PIXEL_FORMAT_RGB565;
}
