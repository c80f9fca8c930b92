#include "platform/runtime/rendering/Framebuffer.h"

#include "platform/runtime/rendering/PngWriter.h"

#include <cairo.h>

namespace pregonero::runtime {

void Framebuffer::DestroySurface(_cairo_surface* surface) noexcept {
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
    return PngWriter(Data(), kWidth, kHeight, Stride()).Write(path, error);
}

} // namespace pregonero::runtime
