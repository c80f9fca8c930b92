#include "platform/runtime/Framebuffer.h"

#include <cairo.h>
#include <spng.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace pregonero::runtime {

namespace {
struct SpngDeleter {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
struct FileDeleter {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
} // namespace

void Framebuffer::SurfaceDeleter::operator()(_cairo_surface* surface) const {
    cairo_surface_destroy(surface);
}

Framebuffer::Framebuffer()
    : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight)) {}

const std::uint8_t* Framebuffer::Data() const {
    cairo_surface_flush(surface_.get());
    return cairo_image_surface_get_data(surface_.get());
}

int Framebuffer::Stride() const {
    return cairo_image_surface_get_stride(surface_.get());
}

bool Framebuffer::WritePng(const std::string& path, std::string* error) const {
    // The screen is opaque, so RGB is enough and a third smaller to compress.
    std::vector<std::uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
    const std::uint8_t* data = Data();
    const int stride = Stride();
    for (int y = 0; y < kHeight; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        std::uint8_t* out = rgb.data() + static_cast<size_t>(y) * kWidth * 3;
        for (int x = 0; x < kWidth; ++x) {
            std::uint32_t p = row[x];
            out[3 * x] = static_cast<std::uint8_t>(p >> 16);
            out[3 * x + 1] = static_cast<std::uint8_t>(p >> 8);
            out[3 * x + 2] = static_cast<std::uint8_t>(p);
        }
    }
    std::unique_ptr<std::FILE, FileDeleter> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    std::unique_ptr<spng_ctx, SpngDeleter> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
    spng_set_png_file(ctx.get(), file.get());
    // Screens are mostly runs of flat colour: the SUB filter turns them into
    // zeros, which the fastest deflate level then matches cheaply. Less data
    // to compress and write than unfiltered rows: half the file, less time.
    spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_LEVEL, 1);
    spng_set_option(ctx.get(), SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_SUB);
    spng_ihdr ihdr{};
    ihdr.width = kWidth;
    ihdr.height = kHeight;
    ihdr.bit_depth = 8;
    ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
    spng_set_ihdr(ctx.get(), &ihdr);
    int rc =
        spng_encode_image(ctx.get(), rgb.data(), rgb.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
    if (rc != 0) {
        *error = path + ": " + spng_strerror(rc);
        return false;
    }
    return true;
}

} // namespace pregonero::runtime
