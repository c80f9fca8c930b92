#pragma once

#include "platform/base/Object.h"
#include "platform/base/BaseResult.h"
#include "platform/runtime/pictures/PixelBuffer.h"

#include <memory>

namespace Osp::Graphics {

enum BitmapPixelFormat {
    BITMAP_PIXEL_FORMAT_MIN = 0,
    BITMAP_PIXEL_FORMAT_RGB565 = 1,
    BITMAP_PIXEL_FORMAT_ARGB8888 = 2,
    BITMAP_PIXEL_FORMAT_MAX
};

// A decoded picture. Copies share the pixels, which never change once made,
// so a row may keep drawing a bitmap whatever happened to the one it came from.
class Bitmap : public Osp::Base::Object {
public:
    Bitmap();
    explicit Bitmap(std::shared_ptr<const pregonero::runtime::PixelBuffer> pixels);
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);
    ~Bitmap() override;

    int GetWidth() const;
    int GetHeight() const;
    BitmapPixelFormat GetPixelColorFormat() const;
    bool IsEmpty() const { return pixels_ == nullptr; }
    const std::shared_ptr<const pregonero::runtime::PixelBuffer>& Pixels() const { return pixels_; }

private:
    std::shared_ptr<const pregonero::runtime::PixelBuffer> pixels_;
};

} // namespace Osp::Graphics
