#include "platform/runtime/rendering/CairoPainter.h"

#include "platform/runtime/rendering/CairoHandles.h"
#include "platform/runtime/rendering/Framebuffer.h"
#include "platform/runtime/pictures/PixelBuffer.h"
#include "platform/runtime/rendering/TextLayoutCache.h"

#include <pango/pangocairo.h>

namespace pregonero::runtime {

// The clip is kept twice: in cairo, which draws to it, and as a rectangle
// here, so that what lies wholly outside it (most rows of a long list) is
// skipped before a text is laid out.

void CairoPainter::DestroyContext(_cairo* cr) noexcept {
    cairo_destroy(cr);
}

CairoPainter::CairoPainter(Framebuffer& framebuffer, TextLayoutCache& layouts)
    : cr_(cairo_create(framebuffer.Surface())),
      layouts_(layouts), clips_{IntRect{0, 0, framebuffer.Width(), framebuffer.Height()}} {}

IntRect CairoPainter::Clipped(const IntRect& rect) const {
    return rect.Intersection(clips_.back());
}

void CairoPainter::FillRect(const IntRect& rect, Rgba color) {
    const IntRect area = Clipped(rect);
    if (area.width <= 0 || area.height <= 0) {
        return;
    }
    SetSource(cr_.get(), color);
    cairo_rectangle(cr_.get(), area.x, area.y, area.width, area.height);
    cairo_fill(cr_.get());
}

void CairoPainter::StrokeRect(const IntRect& rect, Rgba color, int lineWidth) {
    SetSource(cr_.get(), color);
    cairo_set_line_width(cr_.get(), lineWidth);
    // The pen is centred on the path: half a line inside keeps it in the box.
    const double inset = lineWidth / 2.0;
    cairo_rectangle(cr_.get(), rect.x + inset, rect.y + inset, rect.width - lineWidth,
                    rect.height - lineWidth);
    cairo_stroke(cr_.get());
}

void CairoPainter::DrawText(const IntRect& rect, std::string_view utf8, const TextStyle& style) {
    const IntRect visible = Clipped(rect);
    if (utf8.empty() || visible.width <= 0 || visible.height <= 0) {
        return; // none of it would show
    }
    PangoLayout* layout = layouts_.Get(utf8, style, rect.width, rect.height);
    int width = 0;
    int height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    int y = rect.y;
    if (style.vAlign == VAlign::Middle) {
        y += (rect.height - height) / 2;
    } else if (style.vAlign == VAlign::Bottom) {
        y += rect.height - height;
    }
    CairoSaveGuard guard(cr_.get());
    cairo_rectangle(cr_.get(), visible.x, visible.y, visible.width, visible.height);
    cairo_clip(cr_.get());
    SetSource(cr_.get(), style.color);
    cairo_move_to(cr_.get(), rect.x, y);
    pango_cairo_show_layout(cr_.get(), layout);
}

void CairoPainter::DrawPixels(const IntRect& dest, const PixelBuffer& pixels) {
    if (pixels.width <= 0 || pixels.height <= 0 || dest.width <= 0 || dest.height <= 0) {
        return;
    }
    const cairo_format_t format =
        pixels.format == PixelFormat::Rgb565 ? CAIRO_FORMAT_RGB16_565 : CAIRO_FORMAT_ARGB32;
    if (pixels.stride < cairo_format_stride_for_width(format, pixels.width) ||
        pixels.pixels.size() < static_cast<size_t>(pixels.stride) * pixels.height) {
        return; // malformed buffer: draw nothing rather than read past it
    }
    // Cairo only reads the data; the buffer is const to everyone else.
    CairoSurfacePtr source(
        cairo_image_surface_create_for_data(const_cast<unsigned char*>(pixels.pixels.data()),
                                            format, pixels.width, pixels.height, pixels.stride));
    CairoSaveGuard guard(cr_.get());
    cairo_rectangle(cr_.get(), dest.x, dest.y, dest.width, dest.height);
    cairo_clip(cr_.get());
    cairo_translate(cr_.get(), dest.x, dest.y);
    if (dest.width != pixels.width || dest.height != pixels.height) {
        cairo_scale(cr_.get(), static_cast<double>(dest.width) / pixels.width,
                    static_cast<double>(dest.height) / pixels.height);
    }
    cairo_set_source_surface(cr_.get(), source.get(), 0, 0);
    cairo_paint(cr_.get());
}

void CairoPainter::PushClip(const IntRect& rect) {
    clips_.push_back(Clipped(rect));
    cairo_save(cr_.get());
    cairo_rectangle(cr_.get(), rect.x, rect.y, rect.width, rect.height);
    cairo_clip(cr_.get());
}

void CairoPainter::PopClip() {
    // An unmatched pop would put cairo into its error state for good.
    if (clips_.size() > 1) {
        clips_.pop_back();
        cairo_restore(cr_.get());
    }
}

} // namespace pregonero::runtime
