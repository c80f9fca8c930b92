// Opaque 8-bit RGB files take their own path (rows as stored, widened to
// ARGB); everything else still goes through RGBA. Both must agree on colour,
// and a tRNS colour key must still make its pixels transparent.
#include "platform/runtime/ArgbImage.h"
#include "platform/runtime/PngDecoder.h"

#include <gtest/gtest.h>

#include <spng.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using pregonero::runtime::ArgbImage;
using pregonero::runtime::PngDecoder;

// channels 3 = RGB, 4 = RGBA; a non-null key writes a tRNS colour key.
std::string Encode(const std::vector<std::uint8_t>& bytes, int w, int h, int channels,
                   const spng_trns* key = nullptr) {
    spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
    spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
    spng_ihdr ihdr{};
    ihdr.width = static_cast<std::uint32_t>(w);
    ihdr.height = static_cast<std::uint32_t>(h);
    ihdr.bit_depth = 8;
    ihdr.color_type = channels == 3 ? SPNG_COLOR_TYPE_TRUECOLOR : SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    spng_set_ihdr(ctx, &ihdr);
    if (key != nullptr) {
        spng_trns copy = *key;
        spng_set_trns(ctx, &copy);
    }
    std::string out;
    if (spng_encode_image(ctx, bytes.data(), bytes.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) ==
        0) {
        std::size_t size = 0;
        int error = 0;
        void* buffer = spng_get_png_buffer(ctx, &size, &error);
        out.assign(static_cast<char*>(buffer), size);
        std::free(buffer);
    }
    spng_ctx_free(ctx);
    return out;
}

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
    ASSERT_EQ(PngDecoder::Decode(Encode(rgb, w, h, 3), fromRgb), "");
    ASSERT_EQ(PngDecoder::Decode(Encode(rgba, w, h, 4), fromRgba), "");
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
    ASSERT_EQ(PngDecoder::Decode(Encode(rgb, w, h, 3, &key), keyed), "");
    EXPECT_EQ(keyed.pixels[0], 0u);
    EXPECT_EQ(keyed.pixels[1], fromRgb.pixels[1]);

    // A file cut inside its image data fails on the RGB path too.
    const std::string whole = Encode(rgb, w, h, 3);
    ArgbImage cut;
    EXPECT_NE(PngDecoder::Decode(whole.substr(0, whole.size() - 20), cut), "");
}

} // namespace
