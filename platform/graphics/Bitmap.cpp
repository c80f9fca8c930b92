#include "platform/graphics/Bitmap.h"

namespace Osp::Graphics {

Bitmap::Bitmap() = default;
Bitmap::Bitmap(std::shared_ptr<const pregonero::runtime::PixelBuffer> pixels)
    : pixels_(std::move(pixels)) {}
Bitmap::Bitmap(const Bitmap& other) = default;
Bitmap& Bitmap::operator=(const Bitmap& other) = default;
Bitmap::~Bitmap() = default;

int Bitmap::GetWidth() const {
    return pixels_ ? pixels_->width : 0;
}
int Bitmap::GetHeight() const {
    return pixels_ ? pixels_->height : 0;
}

BitmapPixelFormat Bitmap::GetPixelColorFormat() const {
    if (!pixels_) {
        return BITMAP_PIXEL_FORMAT_MIN;
    }
    return pixels_->format == pregonero::runtime::PixelFormat::Rgb565
               ? BITMAP_PIXEL_FORMAT_RGB565
               : BITMAP_PIXEL_FORMAT_ARGB8888;
}

} // namespace Osp::Graphics
