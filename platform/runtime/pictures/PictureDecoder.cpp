#include "platform/runtime/pictures/PictureDecoder.h"

#include "platform/runtime/pictures/GifDecoder.h"
#include "platform/runtime/pictures/JpegDecoder.h"
#include "platform/runtime/pictures/PictureScaler.h"
#include "platform/runtime/pictures/PngDecoder.h"
#include "platform/runtime/pictures/WebpDecoder.h"

#include <cstring>

namespace pregonero::runtime {
namespace {

std::string DecodeAny(std::string_view bytes, int width, int height, ArgbImage& image,
                      const DecodeBudget& budget) {
    if (JpegDecoder::Sniff(bytes)) {
        return JpegDecoder::Decode(bytes, width, height, image, budget);
    }
    if (PngDecoder::Sniff(bytes)) {
        return PngDecoder::Decode(bytes, image);
    }
    if (WebpDecoder::Sniff(bytes)) {
        return WebpDecoder::Decode(bytes, width, height, image);
    }
    if (GifDecoder::Sniff(bytes)) {
        return GifDecoder::Decode(bytes, image);
    }
    return "not a picture";
}

// A buffer of the image's size in `format`, its rows still to be filled.
std::shared_ptr<PixelBuffer> BufferFor(const ArgbImage& image, PixelFormat format) {
    auto buffer = std::make_shared<PixelBuffer>();
    buffer->width = image.width;
    buffer->height = image.height;
    buffer->format = format;
    buffer->stride = PixelBuffer::StrideFor(format, image.width);
    buffer->pixels.resize(static_cast<std::size_t>(buffer->stride) * image.height);
    return buffer;
}

std::shared_ptr<PixelBuffer> ToArgb8888(const ArgbImage& image) {
    auto buffer = BufferFor(image, PixelFormat::Argb8888);
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(buffer->pixels.data() + static_cast<std::size_t>(y) * buffer->stride,
                    image.pixels.data() + static_cast<std::size_t>(y) * image.width,
                    static_cast<std::size_t>(image.width) * 4);
    }
    return buffer;
}

// Premultiplied colour taken as is, which is the picture over black.
std::shared_ptr<PixelBuffer> ToRgb565(const ArgbImage& image) {
    auto buffer = BufferFor(image, PixelFormat::Rgb565);
    for (int y = 0; y < image.height; ++y) {
        const std::uint32_t* from = image.pixels.data() + static_cast<std::size_t>(y) * image.width;
        std::uint8_t* row = buffer->pixels.data() + static_cast<std::size_t>(y) * buffer->stride;
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t p = from[x];
            const auto word = static_cast<std::uint16_t>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) |
                                                         ((p >> 3) & 0x001F));
            std::memcpy(row + static_cast<std::size_t>(x) * 2, &word, 2);
        }
    }
    return buffer;
}

DecodeOutcome Fail(std::string reason) {
    return DecodeOutcome{false, std::move(reason), nullptr};
}

} // namespace

DecodeOutcome DecodePicture(std::string_view bytes, PixelFormat format, int width, int height,
                            const DecodeBudget& budget) {
    if (width < 1 || height < 1 || width > kMaxRequestedSide || height > kMaxRequestedSide) {
        return Fail("requested size out of range");
    }
    if (format != PixelFormat::Rgb565 && format != PixelFormat::Argb8888) {
        return Fail("unknown pixel format");
    }
    if (bytes.empty()) {
        return Fail("empty body");
    }
    ArgbImage decoded;
    if (std::string error = DecodeAny(bytes, width, height, decoded, budget); !error.empty()) {
        return Fail(std::move(error));
    }
    if (budget.Spent()) {
        return Fail(DecodeBudget::kTimeout);
    }
    ArgbImage scaled = decoded.width == width && decoded.height == height
                           ? std::move(decoded)
                           : PictureScaler::ScaleCentreCropped(decoded, width, height);
    decoded = ArgbImage{}; // the source is no longer needed while converting
    auto picture = format == PixelFormat::Argb8888 ? ToArgb8888(scaled) : ToRgb565(scaled);
    return DecodeOutcome{true, {}, std::move(picture)};
}

} // namespace pregonero::runtime
