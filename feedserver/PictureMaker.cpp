#include "feedserver/PictureMaker.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <vector>

#include <cairo.h>
#include <spng.h>
#include <turbojpeg.h>

#include "feedserver/SampleRandom.h"
#include "platform/runtime/loop/UniqueHandle.h"

namespace pregonero::feeds {

namespace {

using runtime::UniqueHandle;
using Surface = UniqueHandle<cairo_surface_t, cairo_surface_destroy>;
using Context = UniqueHandle<cairo_t, cairo_destroy>;
using Pattern = UniqueHandle<cairo_pattern_t, cairo_pattern_destroy>;

void SetRandomColour(cairo_pattern_t* pattern, double at, SampleRandom& random, double alpha) {
    // One draw per statement: argument evaluation order is unspecified.
    const double red = random.Between(20, 235) / 255.0;
    const double green = random.Between(20, 235) / 255.0;
    const double blue = random.Between(20, 235) / 255.0;
    cairo_pattern_add_color_stop_rgba(pattern, at, red, green, blue, alpha);
}

// Buildings with lit windows: hard edges and detail, so the pictures weigh
// and decode like photographs rather than like flat gradients.
void DrawSkyline(cairo_t* cr, int width, int height, SampleRandom& random) {
    double x = 0;
    while (x < width) {
        const double w = random.Between(width / 16, width / 6);
        const double h = random.Between(height / 5, height * 3 / 5);
        const double shade = random.Between(15, 70) / 100.0;
        cairo_set_source_rgb(cr, shade * 0.6, shade * 0.6, shade * 0.7);
        cairo_rectangle(cr, x, height * 0.8 - h, w, h);
        cairo_fill(cr);
        const double cell = std::max(6.0, w / 7);
        for (double wy = height * 0.8 - h + cell / 2; wy + cell < height * 0.8; wy += cell) {
            for (double wx = x + cell / 2; wx + cell / 2 < x + w; wx += cell) {
                if (random.Chance(55)) {
                    const double glow = random.Between(60, 100) / 100.0;
                    cairo_set_source_rgb(cr, glow, glow * 0.9, glow * 0.5);
                    cairo_rectangle(cr, wx, wy, cell / 2, cell / 2);
                    cairo_fill(cr);
                }
            }
        }
        x += w + random.Between(0, width / 40);
    }
}

void DrawScene(cairo_t* cr, int width, int height, SampleRandom& random) {
    Pattern sky(cairo_pattern_create_linear(0, 0, 0, height));
    SetRandomColour(sky.get(), 0, random, 1);
    SetRandomColour(sky.get(), 1, random, 1);
    cairo_set_source(cr, sky.get());
    cairo_paint(cr);

    const int shapes = random.Between(4, 9);
    for (int i = 0; i < shapes; ++i) {
        const double x = random.Below(width);
        const double y = random.Below(height);
        const double r = random.Between(height / 12, height / 3);
        Pattern glow(cairo_pattern_create_radial(x, y, r / 8, x, y, r));
        SetRandomColour(glow.get(), 0, random, 0.9);
        SetRandomColour(glow.get(), 1, random, 0.0);
        cairo_set_source(cr, glow.get());
        if (random.Chance(50)) {
            cairo_arc(cr, x, y, r, 0, 2 * M_PI);
        } else {
            cairo_rectangle(cr, x - r, y - r / 2, 2 * r, r);
        }
        cairo_fill(cr);
    }

    DrawSkyline(cr, width, height, random);

    // A darker band along the bottom, like the ground of a street photo.
    cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
    cairo_rectangle(cr, 0, height * 0.8, width, height * 0.2);
    cairo_fill(cr);

    // Caption blocks instead of real type: fonts would tie the bytes to the
    // machine's font set, and fontconfig keeps caches that never get freed.
    cairo_set_source_rgba(cr, 1, 1, 1, 0.85);
    double x = width * 0.05;
    const double lineHeight = height * 0.05;
    while (x < width * 0.7) {
        const double blockWidth = random.Between(width / 20, width / 8);
        cairo_rectangle(cr, x, height * 0.87, blockWidth, lineHeight);
        x += blockWidth + lineHeight / 2;
    }
    cairo_fill(cr);
}

bool WriteBytes(const std::string& fileName, const unsigned char* data, std::size_t size) {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

bool EncodeJpeg(cairo_surface_t* surface, const std::string& fileName, std::string* error) {
    UniqueHandle<void, tjDestroy> encoder(tjInitCompress());
    if (!encoder) {
        *error = "cannot start the JPEG encoder";
        return false;
    }
    unsigned char* raw = nullptr;
    unsigned long size = 0;
    // Cairo's RGB24 is 32-bit native-endian xRGB: BGRX bytes on little-endian.
    const int failed =
        tjCompress2(encoder.get(), cairo_image_surface_get_data(surface),
                    cairo_image_surface_get_width(surface), cairo_image_surface_get_stride(surface),
                    cairo_image_surface_get_height(surface), TJPF_BGRX, &raw, &size, TJSAMP_420, 82,
                    TJFLAG_ACCURATEDCT);
    UniqueHandle<unsigned char, tjFree> jpeg(raw);
    if (failed != 0) {
        *error = std::string("JPEG encoding failed: ") + tjGetErrorStr2(encoder.get());
        return false;
    }
    return WriteBytes(fileName, jpeg.get(), size);
}

bool EncodePng(cairo_surface_t* surface, const std::string& fileName, std::string* error) {
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* pixels = cairo_image_surface_get_data(surface);
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(pixels + y * stride);
        unsigned char* out = rgb.data() + static_cast<std::size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x) {
            out[3 * x] = (row[x] >> 16) & 0xFF;
            out[3 * x + 1] = (row[x] >> 8) & 0xFF;
            out[3 * x + 2] = row[x] & 0xFF;
        }
    }
    UniqueHandle<spng_ctx, spng_ctx_free> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
    spng_ihdr header = {};
    header.width = static_cast<std::uint32_t>(width);
    header.height = static_cast<std::uint32_t>(height);
    header.bit_depth = 8;
    header.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
    int failed = ctx ? 0 : SPNG_EMEM;
    if (!failed) {
        failed = spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
    }
    if (!failed) {
        failed = spng_set_ihdr(ctx.get(), &header);
    }
    if (!failed) {
        failed = spng_encode_image(ctx.get(), rgb.data(), rgb.size(), SPNG_FMT_PNG,
                                   SPNG_ENCODE_FINALIZE);
    }
    std::size_t size = 0;
    UniqueHandle<void, std::free> png(failed ? nullptr
                                             : spng_get_png_buffer(ctx.get(), &size, &failed));
    if (failed || !png) {
        *error = std::string("PNG encoding failed: ") + spng_strerror(failed);
        return false;
    }
    return WriteBytes(fileName, static_cast<unsigned char*>(png.get()), size);
}

} // namespace

bool PictureMaker::Write(const std::string& fileName, Format format, int width, int height,
                         std::uint64_t seed, std::string* error) {
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        *error = "cannot create a " + std::to_string(width) + "x" + std::to_string(height) +
                 " drawing surface";
        return false;
    }
    {
        Context cr(cairo_create(surface.get()));
        SampleRandom random(seed);
        DrawScene(cr.get(), width, height, random);
    }
    cairo_surface_flush(surface.get());
    const bool written = format == Format::Jpeg ? EncodeJpeg(surface.get(), fileName, error)
                                                : EncodePng(surface.get(), fileName, error);
    if (written) {
        return true;
    }
    if (error->empty()) {
        *error = "cannot write " + fileName;
    }
    return false;
}

} // namespace pregonero::feeds
