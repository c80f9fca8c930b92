#include "platform/runtime/rendering/CairoPainter.h"

#include "platform/runtime/rendering/CairoHandles.h"
#include "platform/runtime/rendering/Framebuffer.h"
#include "platform/runtime/rendering/KnownBlends.h"
#include "platform/runtime/rendering/TextCoverage.h"
#include "platform/runtime/rendering/TextLayoutCache.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <optional>

namespace pregonero::runtime {

namespace {

// How far past its measured ink a glyph image may reach: two pixels at most
// in the fonts and sizes the screens use (14 to 48 pixels, every weight and
// slant, Latin-1 and Latin Extended-A), with room to spare.
constexpr int kInkSlack = 4;

// The pixel cairo stores for an opaque colour.
std::uint32_t OpaquePixel(Rgba c) {
    return 0xFF000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

} // namespace

void CairoPainter::ContextDeleter::operator()(_cairo* cr) const {
    cairo_destroy(cr);
}

CairoPainter::CairoPainter(Framebuffer& framebuffer, TextLayoutCache& layouts, Shortcuts shortcuts)
    : cr_(cairo_create(framebuffer.Surface())), layouts_(layouts),
      // Known colours are 32-bit pixel values; other layouts go the plain way.
      shortcuts_(shortcuts == Shortcuts::Use &&
                 cairo_image_surface_get_format(framebuffer.Surface()) == CAIRO_FORMAT_ARGB32),
      clips_{IntRect{0, 0, framebuffer.Width(), framebuffer.Height()}} {}

void CairoPainter::SetColor(Rgba c) {
    SetSource(cr_.get(), c);
}

void CairoPainter::PaintCoverage(const TextCoverage& coverage, int x, int y, const IntRect& box,
                                 Rgba color, std::uint32_t under) {
    cairo_surface_t* target = cairo_get_target(cr_.get());
    cairo_surface_flush(target);
    coverage.Paint(cairo_image_surface_get_data(target), cairo_image_surface_get_stride(target), x,
                   y, box, color, under);
    cairo_surface_mark_dirty_rectangle(target, box.x, box.y, box.width, box.height);
    solid_.Forget(box);
}

IntRect CairoPainter::Clipped(const IntRect& rect) const {
    return rect.Intersection(clips_.back());
}

void CairoPainter::FillOpaque(const IntRect& area, std::uint32_t pixel) {
    cairo_set_operator(cr_.get(), CAIRO_OPERATOR_SOURCE);
    SetSourcePixel(cr_.get(), pixel);
    cairo_rectangle(cr_.get(), area.x, area.y, area.width, area.height);
    cairo_fill(cr_.get());
    cairo_set_operator(cr_.get(), CAIRO_OPERATOR_OVER);
    solid_.Set(area, pixel);
}

void CairoPainter::FillRect(const IntRect& rect, Rgba color) {
    const IntRect area = Clipped(rect);
    if (area.width <= 0 || area.height <= 0) {
        return;
    }
    if (shortcuts_ && color.a == 255) {
        const std::uint32_t pixel = OpaquePixel(color);
        if (solid_.PixelOf(area) != pixel) {
            FillOpaque(area, pixel);
        }
        return;
    }
    if (shortcuts_) {
        // Over a known colour a translucent fill leaves one known colour:
        // cairo only blends where nothing is known.
        solid_.Split(area, known_, unknown_);
        for (const SolidColorRegions::Region& part : known_) {
            const std::uint32_t pixel = KnownBlends::Fill(color, part.pixel);
            if (pixel != part.pixel) {
                FillOpaque(part.rect, pixel);
            }
        }
        if (unknown_.empty()) {
            return;
        }
        SetColor(color);
        for (const IntRect& part : unknown_) {
            cairo_rectangle(cr_.get(), part.x, part.y, part.width, part.height);
        }
        cairo_fill(cr_.get());
        return;
    }
    SetColor(color);
    cairo_rectangle(cr_.get(), rect.x, rect.y, rect.width, rect.height);
    cairo_fill(cr_.get());
}

void CairoPainter::StrokeRect(const IntRect& rect, Rgba color, int lineWidth) {
    // The pen is centred half a line inside the edge; a box thinner than the
    // line pushes it out, so forget a line's width around the box.
    solid_.Forget(Clipped({rect.x - lineWidth, rect.y - lineWidth, rect.width + 2 * lineWidth,
                           rect.height + 2 * lineWidth}));
    SetColor(color);
    cairo_set_line_width(cr_.get(), lineWidth);
    double inset = lineWidth / 2.0;
    cairo_rectangle(cr_.get(), rect.x + inset, rect.y + inset, rect.width - lineWidth,
                    rect.height - lineWidth);
    cairo_stroke(cr_.get());
}

void CairoPainter::DrawText(const IntRect& rect, std::string_view utf8, const TextStyle& style) {
    const IntRect visible = Clipped(rect);
    if (utf8.empty() || visible.width <= 0 || visible.height <= 0) {
        return; // none of it would show
    }
    const TextLayoutCache::Text text = layouts_.Get(utf8, style, rect.width, rect.height);
    int inkWidth = 0;
    int inkHeight = 0;
    pango_layout_get_pixel_size(text.layout, &inkWidth, &inkHeight);
    int y = rect.y;
    if (style.vAlign == VAlign::Middle) {
        y += (rect.height - inkHeight) / 2;
    } else if (style.vAlign == VAlign::Bottom) {
        y += rect.height - inkHeight;
    }
    if (shortcuts_ && text.coverage != nullptr && text.coverage->Usable()) {
        const IntRect& ink = text.coverage->Ink();
        const IntRect& covered = text.coverage->Covered();
        if (covered.width <= 0) {
            return; // nothing but spaces
        }
        // With its ink inside the clip cairo draws every glyph whole, and
        // over one known colour every covered pixel is a look-up.
        const IntRect box{rect.x + covered.x, y + covered.y, covered.width, covered.height};
        if (visible.Contains(IntRect{rect.x + ink.x, y + ink.y, ink.width, ink.height}) &&
            clips_.front().Contains(box)) {
            if (const std::optional<std::uint32_t> under = solid_.PixelOf(box)) {
                PaintCoverage(*text.coverage, rect.x, y, box, style.color, *under);
                return;
            }
        }
    }
    // Cairo keeps glyphs to the clip, except that when their measured ink
    // lies inside it, it draws them whole, and a glyph image reaches up to two
    // pixels past its measured ink: past the clip too.
    const IntRect reach{visible.x - kInkSlack, visible.y - kInkSlack, visible.width + 2 * kInkSlack,
                        visible.height + 2 * kInkSlack};
    solid_.Forget(reach.Intersection(clips_.front()));
    CairoSaveGuard guard(cr_.get());
    cairo_rectangle(cr_.get(), rect.x, rect.y, rect.width, rect.height);
    cairo_clip(cr_.get());
    SetColor(style.color);
    if (shortcuts_ && text.glyphs->Captured()) {
        text.glyphs->Show(cr_.get(), rect.x, y);
        return;
    }
    cairo_move_to(cr_.get(), rect.x, y);
    pango_cairo_show_layout(cr_.get(), text.layout);
}

void CairoPainter::PushClip(const IntRect& rect) {
    clips_.push_back(Clipped(rect));
    cairo_save(cr_.get());
    cairo_rectangle(cr_.get(), rect.x, rect.y, rect.width, rect.height);
    cairo_clip(cr_.get());
}

void CairoPainter::PopClip() {
    if (clips_.size() > 1) {
        clips_.pop_back();
    }
    cairo_restore(cr_.get());
}

} // namespace pregonero::runtime

#include "platform/runtime/pictures/PixelBuffer.h"

namespace pregonero::runtime {

void CairoPainter::DrawPixels(const IntRect& dest, const PixelBuffer& pixels) {
    if (pixels.width <= 0 || pixels.height <= 0 || dest.width <= 0 || dest.height <= 0) {
        return;
    }
    cairo_format_t format =
        pixels.format == PixelFormat::Rgb565 ? CAIRO_FORMAT_RGB16_565 : CAIRO_FORMAT_ARGB32;
    if (pixels.stride < cairo_format_stride_for_width(format, pixels.width) ||
        pixels.pixels.size() < static_cast<size_t>(pixels.stride) * pixels.height) {
        return; // malformed buffer: draw nothing rather than read past it
    }
    solid_.Forget(Clipped(dest));
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

} // namespace pregonero::runtime
