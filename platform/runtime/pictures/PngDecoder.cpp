#include "platform/runtime/pictures/PngDecoder.h"

#include "platform/runtime/loop/UniqueHandle.h"

#include <cstring>
#include <vector>

#include <spng.h>

namespace pregonero::runtime {
namespace {

using SpngContext = UniqueHandle<spng_ctx, spng_ctx_free>;

std::string Failure(int code) {
    return std::string("corrupt PNG: ") + spng_strerror(code);
}

// Turns the RGBA bytes libspng wrote into premultiplied 0xAARRGGBB words, in
// place: each word is read before it is overwritten.
void PremultiplyInPlace(std::vector<std::uint32_t>& pixels) {
    auto* bytes = reinterpret_cast<const unsigned char*>(pixels.data());
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const unsigned r = bytes[i * 4], g = bytes[i * 4 + 1], b = bytes[i * 4 + 2];
        const unsigned a = bytes[i * 4 + 3];
        std::uint32_t word = 0;
        if (a == 255) {
            word = 0xFF000000u | (r << 16) | (g << 8) | b;
        } else if (a != 0) {
            word = (a << 24) | (((r * a + 127) / 255) << 16) | (((g * a + 127) / 255) << 8) |
                   ((b * a + 127) / 255);
        }
        pixels[i] = word;
    }
}

// Photos are mostly opaque 8-bit RGB: taking the rows as stored skips
// libspng's per-pixel conversion to RGBA, which costs more than the inflate.
std::string DecodeOpaqueRgb8(spng_ctx* ctx, ArgbImage& out) {
    std::size_t size = 0;
    if (int rc = spng_decoded_image_size(ctx, SPNG_FMT_RGB8, &size); rc != 0) {
        return Failure(rc);
    }
    if (size != out.pixels.size() * 3) {
        return "corrupt PNG: unexpected decoded size";
    }
    std::vector<unsigned char> rgb(size);
    if (int rc = spng_decode_image(ctx, rgb.data(), size, SPNG_FMT_RGB8, 0); rc != 0) {
        return Failure(rc);
    }
    const unsigned char* p = rgb.data();
    for (std::uint32_t& word : out.pixels) {
        word = 0xFF000000u | (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
        p += 3;
    }
    return {};
}

std::string DecodeRgba8(spng_ctx* ctx, ArgbImage& out) {
    std::size_t size = 0;
    if (int rc = spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size); rc != 0) {
        return Failure(rc);
    }
    if (size != out.pixels.size() * 4) {
        return "corrupt PNG: unexpected decoded size";
    }
    if (int rc = spng_decode_image(ctx, out.pixels.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS);
        rc != 0) {
        return Failure(rc);
    }
    PremultiplyInPlace(out.pixels);
    return {};
}

} // namespace

bool PngDecoder::Sniff(std::string_view bytes) {
    static constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
    return bytes.size() >= 8 && std::memcmp(bytes.data(), kSignature, 8) == 0;
}

std::string PngDecoder::Decode(std::string_view bytes, ArgbImage& out) {
    SpngContext ctx(spng_ctx_new(0));
    if (!ctx) {
        return "cannot start the PNG decoder";
    }
    spng_set_image_limits(ctx.get(), kMaxSide, kMaxSide);
    spng_set_chunk_limits(ctx.get(), kMaxChunkBytes, kMaxChunkCacheBytes);
    spng_set_crc_action(ctx.get(), SPNG_CRC_ERROR, SPNG_CRC_DISCARD);
    if (int rc = spng_set_png_buffer(ctx.get(), bytes.data(), bytes.size()); rc != 0) {
        return Failure(rc);
    }
    spng_ihdr ihdr{};
    if (int rc = spng_get_ihdr(ctx.get(), &ihdr); rc != 0) {
        return rc == SPNG_EWIDTH || rc == SPNG_EHEIGHT || rc == SPNG_EUSER_WIDTH ||
                       rc == SPNG_EUSER_HEIGHT
                   ? "picture too large"
                   : Failure(rc);
    }
    if (static_cast<long long>(ihdr.width) * ihdr.height > kMaxPixels) {
        return "picture too large";
    }
    out.width = static_cast<int>(ihdr.width);
    out.height = static_cast<int>(ihdr.height);
    out.pixels.assign(static_cast<std::size_t>(out.width) * out.height, 0);
    spng_trns trns{};
    const bool opaqueRgb8 = ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR && ihdr.bit_depth == 8 &&
                            spng_get_trns(ctx.get(), &trns) != 0;
    return opaqueRgb8 ? DecodeOpaqueRgb8(ctx.get(), out) : DecodeRgba8(ctx.get(), out);
}

} // namespace pregonero::runtime
