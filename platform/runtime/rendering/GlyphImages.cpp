#include "platform/runtime/rendering/GlyphImages.h"

#include "platform/runtime/rendering/CairoHandles.h"

#include <cmath>

namespace pregonero::runtime {

namespace {

// Room around a glyph's measured ink; images reach up to two pixels past it.
constexpr int kRoom = 3;
// Past this many glyphs (every font and size a screen has shown) start over.
constexpr std::size_t kMaxImages = 8192;

} // namespace

void GlyphImages::FontRelease::operator()(_cairo_scaled_font* font) const {
    cairo_scaled_font_destroy(font);
}

GlyphImages::GlyphImages() = default;
GlyphImages::~GlyphImages() {
    images_.clear();
    fonts_.clear();
}

const GlyphImages::Image& GlyphImages::Get(cairo_scaled_font_t* font, unsigned long index) {
    const Key key{font, index};
    auto found = images_.find(key);
    if (found != images_.end()) {
        return found->second;
    }
    if (fonts_.find(font) == fonts_.end()) {
        fonts_.emplace(font, std::unique_ptr<_cairo_scaled_font, FontRelease>(
                                 cairo_scaled_font_reference(font)));
    }
    return images_.emplace(key, Draw(font, index)).first->second;
}

void GlyphImages::Trim() {
    if (images_.size() >= kMaxImages) {
        images_.clear();
        fonts_.clear();
    }
}

GlyphImages::Image GlyphImages::Draw(cairo_scaled_font_t* font, unsigned long index) {
    // Measured at the origin: the room around the ink, in whole pixels.
    cairo_glyph_t origin{index, 0, 0};
    cairo_text_extents_t ink;
    cairo_scaled_font_glyph_extents(font, &origin, 1, &ink);
    Image image;
    if (ink.width > 0 && ink.height > 0) {
        image.left = ink.x_bearing;
        image.top = ink.y_bearing;
        image.right = image.left + ink.width;
        image.bottom = image.top + ink.height;
    }
    const int x0 = static_cast<int>(std::floor(image.left)) - kRoom;
    const int y0 = static_cast<int>(std::floor(image.top)) - kRoom;
    const int x1 = static_cast<int>(std::ceil(image.right)) + kRoom;
    const int y1 = static_cast<int>(std::ceil(image.bottom)) + kRoom;
    image.box = {x0, y0, x1 - x0, y1 - y0};
    CairoSurfacePtr scratch(
        cairo_image_surface_create(CAIRO_FORMAT_A8, image.box.width, image.box.height));
    {
        CairoPtr cr(cairo_create(scratch.get()));
        cairo_set_scaled_font(cr.get(), font);
        cairo_set_source_rgb(cr.get(), 1, 1, 1);
        cairo_glyph_t glyph{index, static_cast<double>(-x0), static_cast<double>(-y0)};
        cairo_show_glyphs(cr.get(), &glyph, 1);
    }
    cairo_surface_flush(scratch.get());
    const unsigned char* data = cairo_image_surface_get_data(scratch.get());
    const int stride = cairo_image_surface_get_stride(scratch.get());
    image.values.resize(static_cast<std::size_t>(image.box.width) * image.box.height);
    for (int row = 0; row < image.box.height; ++row) {
        for (int col = 0; col < image.box.width; ++col) {
            const std::uint8_t value = data[row * stride + col];
            image.values[static_cast<std::size_t>(row) * image.box.width + col] = value;
            if (value != 0 && (row == 0 || col == 0 || row == image.box.height - 1 ||
                               col == image.box.width - 1)) {
                image.whole = false;
            }
        }
    }
    return image;
}

} // namespace pregonero::runtime
