#pragma once

#include "platform/runtime/rendering/PaintTypes.h"

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace pregonero::runtime {

// What cairo leaves on an opaque pixel it draws a colour over, worked out by
// letting cairo draw it once on a scratch surface, so the answer carries its
// own rounding to the bit. The painter uses these where it knows the colour
// under a fill or a text. A frame needs a handful; each thread keeps the last
// few.
class KnownBlends {
public:
    using Table = std::array<std::uint32_t, 256>;

    // `color` filled over `under`.
    static std::uint32_t Fill(Rgba color, std::uint32_t under);
    // `color` drawn through each coverage value 0 to 255 over `under`, as a
    // glyph mask draws it. Valid until the next call on this thread.
    static const Table& ThroughCoverage(Rgba color, std::uint32_t under);
    // For each (first, second) in `coverages`: `color` drawn through the
    // first coverage and then through the second over `under`, as two glyphs
    // touching one pixel draw it.
    static std::vector<std::uint32_t>
    ThroughTwoCoverages(Rgba color, std::uint32_t under,
                        const std::vector<std::pair<std::uint8_t, std::uint8_t>>& coverages);
};

} // namespace pregonero::runtime
