#pragma once

#include <cstdint>
#include <vector>

namespace pregonero::runtime {

// The two pixel formats a picture can be asked for; the values are the
// handset platform's own numbers.
enum class PixelFormat { Rgb565 = 1, Argb8888 = 2 };

// Laid out exactly like Cairo's CAIRO_FORMAT_RGB16_565 / CAIRO_FORMAT_ARGB32
// (native-endian words, premultiplied alpha, rows of StrideFor bytes), so the
// renderer wraps it without a copy.
struct PixelBuffer {
    // Cairo's stride for these formats: whole pixels, rounded up to 4 bytes.
    static constexpr int StrideFor(PixelFormat format, int width) {
        return (width * (format == PixelFormat::Rgb565 ? 2 : 4) + 3) & ~3;
    }

    int width = 0;
    int height = 0;
    int stride = 0;
    PixelFormat format = PixelFormat::Argb8888;
    std::vector<std::uint8_t> pixels;
};

} // namespace pregonero::runtime
