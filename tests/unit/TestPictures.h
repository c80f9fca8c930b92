#pragma once

// Pictures made on the spot for the decoder tests: a synthetic pattern and
// encoders for each format, so no binary fixture needs to be kept.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gif_lib.h>
#include <spng.h>
#include <turbojpeg.h>
#include <webp/encode.h>

#include "platform/runtime/pictures/PixelBuffer.h"

namespace pregonero::test {

struct Rgb {
    int r, g, b;
};

inline constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kYellow{255, 255, 0},
    kMagenta{255, 0, 255};

// Quadrants red | green over blue | yellow, with magenta bands on the left and
// right so wide that a centre square crop removes exactly them.
inline Rgb PatternAt(int x, int y, int w, int h) {
    const int band = w > h ? (w - h) / 2 : 0;
    if (x < band || x >= w - band) {
        return kMagenta;
    }
    const bool left = x < w / 2, top = y < h / 2;
    return top ? (left ? kRed : kGreen) : (left ? kBlue : kYellow);
}

inline std::vector<std::uint8_t> PatternRgba(int w, int h) {
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Rgb c = PatternAt(x, y, w, h);
            std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * w + x) * 4];
            p[0] = static_cast<std::uint8_t>(c.r);
            p[1] = static_cast<std::uint8_t>(c.g);
            p[2] = static_cast<std::uint8_t>(c.b);
            p[3] = 255;
        }
    }
    return rgba;
}

inline std::string EncodeJpeg(const std::vector<std::uint8_t>& pixels, int w, int h,
                              int pixelFormat = TJPF_RGBA) {
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const int rc =
        tjCompress2(handle, pixels.data(), w, 0, h, pixelFormat, &out, &size, TJSAMP_444, 95, 0);
    std::string bytes = rc == 0 ? std::string(reinterpret_cast<char*>(out), size) : std::string();
    tjFree(out);
    tjDestroy(handle);
    return bytes;
}

// `channels` 4 = RGBA, 3 = RGB; a non-null `key` writes a tRNS colour key.
inline std::string EncodePng(const std::vector<std::uint8_t>& pixels, int w, int h,
                             int channels = 4, const spng_trns* key = nullptr) {
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
    std::string bytes;
    if (spng_encode_image(ctx, pixels.data(), pixels.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) ==
        0) {
        std::size_t size = 0;
        int error = 0;
        void* buffer = spng_get_png_buffer(ctx, &size, &error);
        bytes.assign(static_cast<char*>(buffer), size);
        std::free(buffer);
    }
    spng_ctx_free(ctx);
    return bytes;
}

inline std::string EncodeWebp(const std::vector<std::uint8_t>& rgba, int w, int h) {
    std::uint8_t* out = nullptr;
    const std::size_t size = WebPEncodeLosslessRGBA(rgba.data(), w, h, w * 4, &out);
    std::string bytes(reinterpret_cast<char*>(out), size);
    WebPFree(out);
    return bytes;
}

// Palette: the pattern's five colours; transparentIndex 5 marks see-through pixels.
inline std::string EncodeGif(int w, int h) {
    std::string bytes;
    auto write = [](GifFileType* gif, const GifByteType* data, int n) {
        static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), n);
        return n;
    };
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, write, &error);
    const GifColorType colours[8] = {{255, 0, 0},   {0, 255, 0}, {0, 0, 255}, {255, 255, 0},
                                     {255, 0, 255}, {0, 0, 0},   {0, 0, 0},   {0, 0, 0}};
    ColorMapObject* map = GifMakeMapObject(8, colours);
    EGifPutScreenDesc(gif, w, h, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr);
    std::vector<GifPixelType> line(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Rgb c = PatternAt(x, y, w, h);
            line[x] = c.b == 255 ? (c.r == 255 ? 4 : 2) : (c.g == 255 ? (c.r == 255 ? 3 : 1) : 0);
        }
        EGifPutLine(gif, line.data(), w);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return bytes;
}

// Reads the pixel at (x, y) of either format as 8-bit RGB (RGB565 expanded).
inline Rgb PixelAt(const runtime::PixelBuffer& picture, int x, int y) {
    const std::uint8_t* row = picture.pixels.data() + static_cast<std::size_t>(y) * picture.stride;
    if (picture.format == runtime::PixelFormat::Argb8888) {
        std::uint32_t p = 0;
        std::memcpy(&p, row + x * 4, 4);
        return {int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)};
    }
    std::uint16_t p = 0;
    std::memcpy(&p, row + x * 2, 2);
    return {(p >> 11) * 255 / 31, (p >> 5 & 0x3F) * 255 / 63, (p & 0x1F) * 255 / 31};
}

inline bool Near(Rgb a, Rgb b, int tolerance = 40) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

} // namespace pregonero::test
