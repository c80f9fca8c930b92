#include "platform/runtime/rendering/GlyphRuns.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <cstdint>
#include <limits>

namespace pregonero::runtime {

namespace {

struct IterFree {
    void operator()(PangoLayoutIter* iter) const { pango_layout_iter_free(iter); }
};

// Pango marks a character no font covers with this flag; a space among them
// is drawn as nothing, anything else as a hex box.
constexpr PangoGlyph kUnknownSpace = 0x20 | PANGO_GLYPH_UNKNOWN_FLAG;

// Attributes reach the renderer as colours, lines and shapes it draws itself.
// Only the one Pango puts on an ellipsis (font fallback) changes nothing there.
bool RendererIgnoresAll(GSList* attrs) {
    for (GSList* link = attrs; link != nullptr; link = link->next) {
        if (static_cast<PangoAttribute*>(link->data)->klass->type != PANGO_ATTR_FALLBACK) {
            return false;
        }
    }
    return true;
}

} // namespace

void GlyphRuns::FontRelease::operator()(_cairo_scaled_font* font) const {
    cairo_scaled_font_destroy(font);
}

GlyphRuns::GlyphRuns(PangoLayout* layout) : captured_(Capture(layout)) {
    if (!captured_) {
        runs_.clear();
    }
}

GlyphRuns::~GlyphRuns() = default;
GlyphRuns::GlyphRuns(GlyphRuns&&) noexcept = default;
GlyphRuns& GlyphRuns::operator=(GlyphRuns&&) noexcept = default;

// Follows pango_renderer_draw_layout, pango_renderer_draw_layout_line and the
// cairo renderer's glyph drawing step for step, with the current point at 0, 0:
// positions are sums of Pango units over 1024, exact in a double, so adding
// the real origin later gives the very numbers Pango would pass to cairo.
bool GlyphRuns::Capture(PangoLayout* layout) {
    constexpr std::int64_t kMaxUnits = std::numeric_limits<int>::max() / 2;
    std::unique_ptr<PangoLayoutIter, IterFree> iter(pango_layout_get_iter(layout));
    do {
        PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter.get());
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter.get(), nullptr, &logical);
        const int baseline = pango_layout_iter_get_baseline(iter.get());
        // Pango sums these in int; a line long enough to overflow that (a
        // megabyte of text on one line) is left to Pango to draw.
        std::int64_t xOff = 0;
        for (GSList* link = line->runs; link != nullptr; link = link->next) {
            const auto* run = static_cast<PangoGlyphItem*>(link->data);
            const PangoAnalysis& analysis = run->item->analysis;
            // Vertical text shifts its baseline: not plain either.
            if (!RendererIgnoresAll(analysis.extra_attrs) ||
                (analysis.flags & PANGO_ANALYSIS_FLAG_CENTERED_BASELINE) != 0) {
                return false;
            }
            cairo_scaled_font_t* font =
                pango_cairo_font_get_scaled_font(reinterpret_cast<PangoCairoFont*>(analysis.font));
            if (font == nullptr || cairo_scaled_font_status(font) != CAIRO_STATUS_SUCCESS) {
                return false; // Pango draws hex boxes instead
            }
            const int width = pango_glyph_string_get_width(run->glyphs);
            xOff += run->start_x_offset;
            const double baseX = static_cast<double>(logical.x + xOff) / PANGO_SCALE;
            const double baseY = static_cast<double>(baseline - run->y_offset) / PANGO_SCALE;
            Run out{
                std::unique_ptr<_cairo_scaled_font, FontRelease>(cairo_scaled_font_reference(font)),
                {}};
            out.glyphs.reserve(static_cast<std::size_t>(run->glyphs->num_glyphs));
            std::int64_t position = 0;
            for (int i = 0; i < run->glyphs->num_glyphs; ++i) {
                const PangoGlyphInfo& info = run->glyphs->glyphs[i];
                if (info.glyph == PANGO_GLYPH_EMPTY || info.glyph == kUnknownSpace) {
                    // drawn as nothing
                } else if ((info.glyph & PANGO_GLYPH_UNKNOWN_FLAG) != 0) {
                    return false;
                } else {
                    const double y =
                        info.geometry.y_offset == 0
                            ? baseY
                            : baseY + static_cast<double>(info.geometry.y_offset) / PANGO_SCALE;
                    out.glyphs.push_back(
                        Glyph{info.glyph,
                              baseX + static_cast<double>(position + info.geometry.x_offset) /
                                          PANGO_SCALE,
                              y});
                }
                position += info.geometry.width;
                if (position > kMaxUnits || position < -kMaxUnits) {
                    return false;
                }
            }
            if (!out.glyphs.empty()) {
                runs_.push_back(std::move(out));
            }
            xOff += static_cast<std::int64_t>(width) + run->end_x_offset;
            if (xOff > kMaxUnits || xOff < -kMaxUnits) {
                return false;
            }
        }
    } while (pango_layout_iter_next_line(iter.get()));
    return true;
}

std::size_t GlyphRuns::GlyphCount() const {
    std::size_t count = 0;
    for (const Run& run : runs_) {
        count += run.glyphs.size();
    }
    return count;
}

void GlyphRuns::ForEachGlyph(const std::function<void(_cairo_scaled_font* font, unsigned long index,
                                                      double x, double y)>& visit) const {
    for (const Run& run : runs_) {
        for (const Glyph& glyph : run.glyphs) {
            visit(run.font.get(), glyph.index, glyph.x, glyph.y);
        }
    }
}

void GlyphRuns::Show(cairo_t* cr, int x, int y) const {
    // One buffer per thread, grown to the longest run seen: no allocation
    // per frame.
    thread_local std::vector<cairo_glyph_t> placed;
    for (const Run& run : runs_) {
        placed.resize(run.glyphs.size());
        for (std::size_t i = 0; i < run.glyphs.size(); ++i) {
            placed[i].index = run.glyphs[i].index;
            placed[i].x = x + run.glyphs[i].x;
            placed[i].y = y + run.glyphs[i].y;
        }
        cairo_set_scaled_font(cr, run.font.get());
        cairo_show_glyphs(cr, placed.data(), static_cast<int>(placed.size()));
    }
}

} // namespace pregonero::runtime
