// Opaque 8-bit RGB files take their own path (rows as stored, widened to
// ARGB); everything else still goes through RGBA. Both must agree on colour,
// and a tRNS colour key must still make its pixels transparent.
#include "platform/runtime/pictures/ArgbImage.h"
#include "platform/runtime/pictures/PngDecoder.h"
#include "tests/unit/TestPictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using pregonero::runtime::ArgbImage;
using pregonero::runtime::PngDecoder;
using pregonero::test::EncodePng;

TEST(PngDecoderTest, OpaqueRgbMatchesRgbaAndColourKeysStayTransparent) {
    const int w = 37, h = 5; // odd width: rows of 111 bytes, no padding to lean on
    std::vector<std::uint8_t> rgb, rgba;
    for (int i = 0; i < w * h; ++i) {
        const std::uint8_t r = static_cast<std::uint8_t>(i * 7),
                           g = static_cast<std::uint8_t>(i * 13),
                           b = static_cast<std::uint8_t>(255 - i);
        rgb.insert(rgb.end(), {r, g, b});
        rgba.insert(rgba.end(), {r, g, b, 255});
    }
    ArgbImage fromRgb, fromRgba;
    ASSERT_EQ(PngDecoder::Decode(EncodePng(rgb, w, h, 3), fromRgb), "");
    ASSERT_EQ(PngDecoder::Decode(EncodePng(rgba, w, h, 4), fromRgba), "");
    ASSERT_EQ(fromRgb.width, w);
    ASSERT_EQ(fromRgb.height, h);
    EXPECT_EQ(fromRgb.pixels, fromRgba.pixels);
    EXPECT_EQ(fromRgb.pixels[1], 0xFF000000u | (7u << 16) | (13u << 8) | 254u);

    // Pixel 0 is (0, 0, 255): as the key it must come out fully transparent.
    spng_trns key{};
    key.red = 0;
    key.green = 0;
    key.blue = 255;
    ArgbImage keyed;
    ASSERT_EQ(PngDecoder::Decode(EncodePng(rgb, w, h, 3, &key), keyed), "");
    EXPECT_EQ(keyed.pixels[0], 0u);
    EXPECT_EQ(keyed.pixels[1], fromRgb.pixels[1]);

    // A file cut inside its image data fails on the RGB path too.
    const std::string whole = EncodePng(rgb, w, h, 3);
    ArgbImage cut;
    EXPECT_NE(PngDecoder::Decode(whole.substr(0, whole.size() - 20), cut), "");
}

} // namespace
