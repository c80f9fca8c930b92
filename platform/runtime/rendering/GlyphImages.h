#pragma once

#include "platform/runtime/rendering/PaintTypes.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

struct _cairo_scaled_font;

namespace pregonero::runtime {

// The coverage image cairo draws for a glyph of a font, taken once per glyph
// and shared by every text that uses it. Cairo draws a glyph at its position
// rounded to whole pixels; the image's box counts from that pixel.
class GlyphImages {
public:
    struct Image {
        // The measured ink at the origin (all 0 for an inkless glyph).
        double left = 0;
        double top = 0;
        double right = 0;
        double bottom = 0;
        IntRect box;
        std::vector<std::uint8_t> values; // box.width × box.height, row by row
        // False when the image reaches the edge of the room it was drawn in
        // and might reach past it.
        bool whole = true;
    };

    GlyphImages();
    ~GlyphImages();
    GlyphImages(const GlyphImages&) = delete;
    GlyphImages& operator=(const GlyphImages&) = delete;

    // Stays valid until the next Trim.
    const Image& Get(_cairo_scaled_font* font, unsigned long index);
    std::size_t Size() const { return images_.size(); }
    // Starts over once there are more images than any screen needs.
    void Trim();

private:
    struct FontRelease {
        void operator()(_cairo_scaled_font* font) const;
    };
    using Key = std::pair<_cairo_scaled_font*, unsigned long>;
    static Image Draw(_cairo_scaled_font* font, unsigned long index);

    std::map<Key, Image> images_;
    // A reference on every font keyed on, so no key's font is freed and its
    // address reused while the key stands.
    std::map<_cairo_scaled_font*, std::unique_ptr<_cairo_scaled_font, FontRelease>> fonts_;
};

} // namespace pregonero::runtime
