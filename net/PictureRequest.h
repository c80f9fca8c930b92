#pragma once

#include "platform/base/String.h"
#include "platform/graphics/Bitmap.h"

class ImageLoader;

// Starts one picture decode for a loader, the same way on every screen.
class PictureRequest {
public:
    // Asks for `url` decoded to width × height in `format`, delivered to
    // `loader` within 10 s. Returns the platform's answer: anything but
    // E_SUCCESS means no callback will ever come.
    static result Start(ImageLoader* loader, const Osp::Base::String& url,
                        Osp::Graphics::BitmapPixelFormat format, int width, int height);
    // Article and gallery pictures keep their alpha only when the URL says
    // PNG in one of the two spellings feeds use; anything else is RGB565.
    static Osp::Graphics::BitmapPixelFormat FormatForUrl(const Osp::Base::String& url);

    static constexpr long kTimeoutMs = 10000;
    static constexpr long kPresetRequestId = 1001;
};
