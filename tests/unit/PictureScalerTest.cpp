#include "platform/runtime/pictures/PictureScaler.h"

#include <gtest/gtest.h>

using namespace pregonero::runtime;

namespace {

ArgbImage Filled(int w, int h, std::uint32_t (*at)(int x, int y)) {
    ArgbImage image{w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h)};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.pixels[static_cast<std::size_t>(y) * w + x] = at(x, y);
        }
    }
    return image;
}

} // namespace

TEST(PictureScalerTest, FlatStaysFlatAndFineDetailAveragesInsteadOfAliasing) {
    // A flat colour must come out exactly, whatever the ratio: weights sum to one.
    const auto flat = Filled(97, 61, [](int, int) { return 0xFF3366CCu; });
    for (const auto& [w, h] : {std::pair{10, 10}, {61, 97}, {200, 150}, {1, 1}, {97, 61}}) {
        const ArgbImage out = PictureScaler::ScaleCentreCropped(flat, w, h);
        ASSERT_EQ(out.width, w);
        ASSERT_EQ(out.height, h);
        for (const std::uint32_t p : out.pixels) {
            ASSERT_EQ(p, 0xFF3366CCu) << w << "x" << h;
        }
    }
    // A one-pixel black and white checkerboard shrunk 8x is uniform grey; a
    // point-sampling or bilinear shrink would keep stripes of black or white.
    const auto checker =
        Filled(256, 256, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u; });
    for (const std::uint32_t p : PictureScaler::ScaleCentreCropped(checker, 32, 32).pixels) {
        const int grey = static_cast<int>(p & 0xFF);
        ASSERT_NEAR(grey, 128, 1);
        ASSERT_EQ(p >> 24, 0xFFu);
    }
    // Transparent pixels do not darken their opaque neighbours: premultiplied
    // white next to nothing averages to half-covered white, not grey.
    const auto half = Filled(8, 8, [](int x, int) { return x < 4 ? 0xFFFFFFFFu : 0u; });
    const ArgbImage one = PictureScaler::ScaleCentreCropped(half, 1, 1);
    EXPECT_EQ(one.pixels[0], 0x80808080u);
}

TEST(PictureScalerTest, EverySizeGivesExactlyThePixelsOfThePlainPerChannelFilter) {
    // Checksums of what the plain filter (one channel and one tap at a time)
    // made of these pictures: the vector code must match it bit for bit, at
    // every tap count, odd widths (the row tails) and upscaling included.
    struct Case {
        int sourceWidth, sourceHeight, width, height;
        std::uint64_t checksum;
    };
    const Case cases[] = {
        {375, 250, 176, 176, 0x9bfaacf3e3439e8full},  {750, 500, 440, 440, 0xdc3cd7c053958b7cull},
        {1024, 768, 176, 176, 0x204f88e688caf52full}, {97, 61, 13, 7, 0x60978ec0026ac07eull},
        {100, 80, 441, 439, 0x180e431821e39e38ull},   {3, 2, 176, 100, 0x70b01d1b9a58faf5ull},
        {1, 1, 5, 7, 0x097f9f694297230bull},          {999, 17, 31, 200, 0xb17535bb841c38efull},
        {17, 999, 6, 3, 0x481979a807fcc413ull},       {64, 64, 64, 63, 0x006f391cfce9f2f9ull},
    };
    for (const Case& c : cases) {
        ArgbImage source{
            c.sourceWidth, c.sourceHeight,
            std::vector<std::uint32_t>(static_cast<std::size_t>(c.sourceWidth) * c.sourceHeight)};
        // Premultiplied noise of every alpha: colour channels never above alpha.
        std::uint32_t state = 2463534242u + c.sourceWidth * 31u + c.sourceHeight;
        for (std::uint32_t& p : source.pixels) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const std::uint32_t a = state >> 24;
            const std::uint32_t r = ((state >> 16) & 0xFF) * a / 255;
            const std::uint32_t g = ((state >> 8) & 0xFF) * a / 255;
            const std::uint32_t b = (state & 0xFF) * a / 255;
            p = (a << 24) | (r << 16) | (g << 8) | b;
        }
        const ArgbImage out = PictureScaler::ScaleCentreCropped(source, c.width, c.height);
        std::uint64_t checksum = 1469598103934665603ull; // FNV-1a over the bytes
        for (const std::uint32_t p : out.pixels) {
            for (int i = 0; i < 4; ++i) {
                checksum ^= (p >> (8 * i)) & 0xFF;
                checksum *= 1099511628211ull;
            }
        }
        EXPECT_EQ(checksum, c.checksum)
            << c.sourceWidth << "x" << c.sourceHeight << " to " << c.width << "x" << c.height;
    }
}
