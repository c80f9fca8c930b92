#include "platform/runtime/PictureScaler.h"

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
