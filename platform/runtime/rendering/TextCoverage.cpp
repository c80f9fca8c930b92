#include "platform/runtime/rendering/TextCoverage.h"

#include "platform/runtime/rendering/CairoHandles.h"
#include "platform/runtime/rendering/GlyphImages.h"
#include "platform/runtime/rendering/GlyphRuns.h"
#include "platform/runtime/rendering/KnownBlends.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>

namespace pregonero::runtime {

namespace {

// Room around the text when checking it against cairo: a pixel cairo draws
// there that the coverage lacks shows up as a difference.
constexpr int kCheckRoom = 8;
// Two glyphs share a pixel only at their edges: a text with more such
// pixels than this is not worth the table.
constexpr std::size_t kMaxPairs = 4096;
constexpr std::size_t kPairColorsKept = 4;
// Texts of a screen or so; a whole article is left to cairo.
constexpr long long kMaxArea = 480 * 800;

// Cairo draws a glyph at its position rounded to the nearest pixel, halves
// upward.
int Round(double position) {
    return static_cast<int>(std::floor(position + 0.5));
}

// Colour pairs unlike anything a screen uses, one source translucent: only
// glyphs that draw as plain coverage come out right with all of them.
constexpr Rgba kCheckColors[] = {{37, 201, 90, 255}, {200, 10, 180, 160}};
constexpr std::uint32_t kCheckUnder[] = {0xFFFA038Cu, 0xFF0C5021u};

} // namespace

TextCoverage::TextCoverage(const GlyphRuns& glyphs, GlyphImages& images) {
    usable_ = Take(glyphs, images) &&
              MatchesCairo(glyphs, kCheckColors[0], kCheckUnder[0], false) &&
              MatchesCairo(glyphs, kCheckColors[1], kCheckUnder[1], true);
    if (!usable_) {
        rows_.clear();
        spans_.clear();
        values_.clear();
        pairPixels_.clear();
        pairs_.clear();
        pairResults_.clear();
    }
    rows_.shrink_to_fit();
    spans_.shrink_to_fit();
    values_.shrink_to_fit();
    pairPixels_.shrink_to_fit();
}

std::size_t TextCoverage::Bytes() const {
    return sizeof(*this) + rows_.capacity() * sizeof(Row) + spans_.capacity() * sizeof(Span) +
           values_.capacity() + pairPixels_.capacity() * sizeof(PairPixel) +
           pairs_.capacity() * sizeof(pairs_[0]);
}

bool TextCoverage::Take(const GlyphRuns& glyphs, GlyphImages& images) {
    if (!glyphs.Captured()) {
        return false;
    }
    struct Placed {
        const GlyphImages::Image* image;
        int x;
        int y;
    };
    std::vector<Placed> placed;
    IntRect room;
    bool whole = true;
    glyphs.ForEachGlyph([&](_cairo_scaled_font* font, unsigned long index, double x, double y) {
        const GlyphImages::Image& image = images.Get(font, index);
        whole = whole && image.whole;
        const int px = Round(x);
        const int py = Round(y);
        placed.push_back(Placed{&image, px, py});
        room = room.Union({px + image.box.x, py + image.box.y, image.box.width, image.box.height});
        if (image.right > image.left) {
            // Cairo measures a glyph for clipping at its rounded position: a
            // pixel of room covers the difference.
            const int x0 = static_cast<int>(std::floor(x + image.left)) - 1;
            const int y0 = static_cast<int>(std::floor(y + image.top)) - 1;
            const int x1 = static_cast<int>(std::ceil(x + image.right)) + 1;
            const int y1 = static_cast<int>(std::ceil(y + image.bottom)) + 1;
            ink_ = ink_.Union({x0, y0, x1 - x0, y1 - y0});
        }
    });
    if (!whole) {
        return false;
    }
    if (room.width <= 0 || room.height <= 0) {
        return true; // nothing to draw
    }
    if (static_cast<long long>(room.width) * room.height > kMaxArea) {
        return false; // a long article: cairo draws what shows of it
    }
    // The glyphs into the whole, in drawing order.
    const std::size_t size = static_cast<std::size_t>(room.width) * room.height;
    std::vector<std::uint8_t> first(size);
    std::vector<std::uint8_t> second(size);
    for (const Placed& glyph : placed) {
        const IntRect& box = glyph.image->box;
        for (int row = 0; row < box.height; ++row) {
            const std::uint8_t* values =
                glyph.image->values.data() + static_cast<std::size_t>(row) * box.width;
            const std::size_t line =
                static_cast<std::size_t>(glyph.y + box.y + row - room.y) * room.width +
                (glyph.x + box.x - room.x);
            for (int col = 0; col < box.width; ++col) {
                const std::uint8_t value = values[col];
                if (value == 0) {
                    continue;
                }
                const std::size_t at = line + col;
                if (second[at] != 0) {
                    return false; // a third glyph
                }
                (first[at] == 0 ? first[at] : second[at]) = value;
            }
        }
    }
    if (room.x < INT16_MIN || room.x + room.width > INT16_MAX || room.y < INT16_MIN ||
        room.y + room.height > INT16_MAX) {
        return false; // larger than any screen
    }
    std::map<std::pair<std::uint8_t, std::uint8_t>, std::uint16_t> pairIndex;
    for (int row = 0; row < room.height; ++row) {
        const std::size_t line = static_cast<std::size_t>(row) * room.width;
        const std::size_t spansBefore = spans_.size();
        const std::size_t valuesBefore = values_.size();
        int col = 0;
        while (col < room.width) {
            while (col < room.width && first[line + col] == 0) {
                ++col;
            }
            const int start = col;
            while (col < room.width && first[line + col] != 0 && col - start < UINT16_MAX) {
                ++col;
            }
            if (col == start) {
                continue;
            }
            spans_.push_back(Span{static_cast<std::int16_t>(room.x + start),
                                  static_cast<std::uint16_t>(col - start)});
            for (int at = start; at < col; ++at) {
                if (second[line + at] == 0) {
                    values_.push_back(first[line + at]);
                    continue;
                }
                const auto key = std::make_pair(first[line + at], second[line + at]);
                auto known = pairIndex.find(key);
                if (known == pairIndex.end()) {
                    if (pairs_.size() >= kMaxPairs) {
                        return false;
                    }
                    known = pairIndex.emplace(key, static_cast<std::uint16_t>(pairs_.size())).first;
                    pairs_.push_back(key);
                }
                pairPixels_.push_back(PairPixel{static_cast<std::int16_t>(room.x + at),
                                                static_cast<std::int16_t>(room.y + row),
                                                known->second});
                values_.push_back(0);
            }
            covered_ = covered_.Union({room.x + start, room.y + row, col - start, 1});
        }
        if (spans_.size() > spansBefore) {
            rows_.push_back(Row{room.y + row, static_cast<std::uint32_t>(spansBefore),
                                static_cast<std::uint32_t>(valuesBefore)});
        }
    }
    return true;
}

bool TextCoverage::MatchesCairo(const GlyphRuns& glyphs, Rgba color, std::uint32_t under,
                                bool clipToInk) const {
    const IntRect area = ink_.Union(covered_);
    const int width = area.width + 2 * kCheckRoom;
    const int height = area.height + 2 * kCheckRoom;
    const int originX = kCheckRoom - area.x;
    const int originY = kCheckRoom - area.y;
    CairoSurfacePtr drawn(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    {
        CairoPtr cr(cairo_create(drawn.get()));
        cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
        SetSourcePixel(cr.get(), under);
        cairo_paint(cr.get());
        cairo_set_operator(cr.get(), CAIRO_OPERATOR_OVER);
        if (clipToInk) {
            // The tightest clip the painter draws a text under with look-ups.
            cairo_rectangle(cr.get(), originX + ink_.x, originY + ink_.y, ink_.width, ink_.height);
            cairo_clip(cr.get());
        }
        SetSource(cr.get(), color);
        glyphs.Show(cr.get(), originX, originY);
    }
    cairo_surface_flush(drawn.get());
    std::vector<std::uint32_t> expected(static_cast<std::size_t>(width) * height, under);
    Paint(reinterpret_cast<unsigned char*>(expected.data()), width * 4, originX, originY,
          {0, 0, width, height}, color, under);
    const unsigned char* data = cairo_image_surface_get_data(drawn.get());
    const int stride = cairo_image_surface_get_stride(drawn.get());
    for (int row = 0; row < height; ++row) {
        if (std::memcmp(expected.data() + static_cast<std::size_t>(row) * width,
                        data + static_cast<std::size_t>(row) * stride, width * 4) != 0) {
            return false;
        }
    }
    return true;
}

const std::vector<std::uint32_t>& TextCoverage::ResultsOfPairs(Rgba color,
                                                               std::uint32_t under) const {
    for (const PairResults& known : pairResults_) {
        if (known.color == color && known.under == under) {
            return known.results;
        }
    }
    if (pairResults_.size() >= kPairColorsKept) {
        pairResults_.erase(pairResults_.begin());
    }
    pairResults_.push_back(
        PairResults{color, under, KnownBlends::ThroughTwoCoverages(color, under, pairs_)});
    return pairResults_.back().results;
}

void TextCoverage::Paint(unsigned char* pixels, int stride, int x, int y, const IntRect& clip,
                         Rgba color, std::uint32_t under) const {
    // Copied: the shared table may be replaced by the next colour asked for.
    const KnownBlends::Table table = KnownBlends::ThroughCoverage(color, under);
    const std::vector<std::uint32_t>* pairs =
        pairs_.empty() ? nullptr : &ResultsOfPairs(color, under);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const Row& row = rows_[r];
        const int line = y + row.y;
        if (line < clip.y || line >= clip.y + clip.height) {
            continue;
        }
        const std::size_t lastSpan = r + 1 < rows_.size() ? rows_[r + 1].firstSpan : spans_.size();
        auto* out =
            reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(line) * stride);
        std::size_t value = row.firstValue;
        for (std::size_t s = row.firstSpan; s < lastSpan; value += spans_[s].length, ++s) {
            const int start = x + spans_[s].x;
            const int from = std::max(start, clip.x);
            const int to = std::min(start + spans_[s].length, clip.x + clip.width);
            const std::uint8_t* values = values_.data() + value;
            // table[0] is `under` itself, which the pixel already holds.
            for (int col = from; col < to; ++col) {
                out[col] = table[values[col - start]];
            }
        }
    }
    // Where two glyphs touch a pixel.
    for (const PairPixel& pixel : pairPixels_) {
        const int px = x + pixel.x;
        const int py = y + pixel.y;
        if (clip.Contains(px, py)) {
            reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(py) *
                                                          stride)[px] = (*pairs)[pixel.pair];
        }
    }
}

} // namespace pregonero::runtime
