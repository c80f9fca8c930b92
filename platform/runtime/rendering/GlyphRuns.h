#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

struct _cairo;
struct _cairo_scaled_font;
struct _PangoLayout;

namespace pregonero::runtime {

// A laid-out text's glyphs, placed exactly where pango_cairo_show_layout
// places them, kept so that drawing the text again goes straight to
// cairo_show_glyphs: Pango's renderer would walk the layout and convert every
// glyph on every frame. A layout holding anything but plain glyphs (the hex
// box of a character no font has, decorations from attributes) is not
// captured and stays with Pango.
class GlyphRuns {
public:
    explicit GlyphRuns(_PangoLayout* layout);
    ~GlyphRuns();
    GlyphRuns(GlyphRuns&&) noexcept;
    GlyphRuns& operator=(GlyphRuns&&) noexcept;
    GlyphRuns(const GlyphRuns&) = delete;
    GlyphRuns& operator=(const GlyphRuns&) = delete;

    bool Captured() const { return captured_; }
    std::size_t GlyphCount() const;
    // Draws with cr's source and clip, the layout's top left corner at
    // (x, y), as pango_cairo_show_layout would from that current point.
    void Show(_cairo* cr, int x, int y) const;
    // Each glyph in drawing order: its font, index and place, the layout's
    // top left corner at 0, 0.
    void ForEachGlyph(const std::function<void(_cairo_scaled_font* font, unsigned long index,
                                               double x, double y)>& visit) const;

private:
    struct Glyph {
        unsigned long index;
        double x;
        double y;
    };
    struct FontRelease {
        void operator()(_cairo_scaled_font* font) const;
    };
    struct Run {
        std::unique_ptr<_cairo_scaled_font, FontRelease> font;
        std::vector<Glyph> glyphs;
    };
    bool Capture(_PangoLayout* layout);

    std::vector<Run> runs_;
    bool captured_ = false;
};

} // namespace pregonero::runtime
