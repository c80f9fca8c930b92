#pragma once

#include "platform/runtime/rendering/PaintTypes.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace pregonero::runtime {

class GlyphImages;
class GlyphRuns;

// How much of each pixel a text's glyphs cover, taken once for a text that
// is drawn again and again. Over pixels of one known colour, what cairo
// leaves on a pixel depends only on that coverage (and, where two glyphs
// touch the pixel, on both, in drawing order), so drawing the text is one
// look-up per covered pixel in tables cairo itself worked out, instead of
// cairo compositing it glyph by glyph. A text is not usable when three glyphs
// touch one pixel, or when the look-ups do not reproduce cairo's own drawing
// of it, clipped tight or not at all (a colour glyph, say).
class TextCoverage {
public:
    TextCoverage(const GlyphRuns& glyphs, GlyphImages& images);
    bool Usable() const { return usable_; }
    // From the text's top left corner: the measured ink, with a pixel of
    // room for cairo's rounding of glyph positions, and the covered pixels.
    // When the clip holds the ink, cairo draws every glyph whole, and only
    // the covered pixels change.
    const IntRect& Ink() const { return ink_; }
    const IntRect& Covered() const { return covered_; }
    // Draws `color` over the covered pixels inside `clip`, which all hold
    // `under`, the text's top left corner at (x, y), in a 32-bit surface of
    // `stride` bytes a row.
    void Paint(unsigned char* pixels, int stride, int x, int y, const IntRect& clip, Rgba color,
               std::uint32_t under) const;

    // Memory held, for the cache's budget.
    std::size_t Bytes() const;

private:
    // A pixel row with covered pixels, from the text's top left corner; its
    // runs are spans_[firstSpan, next row's firstSpan), their coverage
    // values_[firstValue, ...).
    struct Row {
        std::int32_t y;
        std::uint32_t firstSpan;
        std::uint32_t firstValue;
    };
    // A run of covered pixels in a row.
    struct Span {
        std::int16_t x;
        std::uint16_t length;
    };
    struct PairResults {
        Rgba color;
        std::uint32_t under;
        std::vector<std::uint32_t> results; // one for each of pairs_
    };
    bool Take(const GlyphRuns& glyphs, GlyphImages& images);
    bool MatchesCairo(const GlyphRuns& glyphs, Rgba color, std::uint32_t under,
                      bool clipToInk) const;
    const std::vector<std::uint32_t>& ResultsOfPairs(Rgba color, std::uint32_t under) const;

    IntRect ink_;
    IntRect covered_;
    std::vector<Row> rows_;
    std::vector<Span> spans_;
    // A pixel two glyphs touch, from the text's top left corner.
    struct PairPixel {
        std::int16_t x;
        std::int16_t y;
        std::uint16_t pair; // index into pairs_
    };
    // One glyph's coverage of each pixel, or 0 where two glyphs touch it:
    // pairPixels_ has those.
    std::vector<std::uint8_t> values_;
    std::vector<PairPixel> pairPixels_;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> pairs_; // first and second coverage
    mutable std::vector<PairResults> pairResults_;             // the last few colours drawn
    bool usable_ = false;
};

} // namespace pregonero::runtime
