#pragma once

#include "platform/runtime/rendering/PaintTypes.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace pregonero::runtime {

// Rectangles of the screen known to hold one opaque pixel value each, as the
// painter has filled them during this frame. A list paints a white
// background, then translucent row backgrounds over it: knowing what lies
// under a fill lets the painter skip one that changes nothing, or write its
// result as a plain opaque fill instead of blending every pixel.
class SolidColorRegions {
public:
    struct Region {
        IntRect rect;
        std::uint32_t pixel;
    };

    // The pixel value every pixel of `rect` holds, if all are known and equal.
    std::optional<std::uint32_t> PixelOf(const IntRect& rect) const;
    // Splits `rect` into the parts known to hold one pixel value each and
    // the rest, none of them overlapping.
    void Split(const IntRect& rect, std::vector<Region>& known,
               std::vector<IntRect>& unknown) const;
    // `rect` now holds `pixel` everywhere.
    void Set(const IntRect& rect, std::uint32_t pixel);
    // `rect` was drawn into in a way not tracked: nothing is known there now.
    void Forget(const IntRect& rect);
    std::size_t Count() const { return regions_.size(); }

private:
    void Prune();

    std::vector<Region> regions_; // never overlapping
    std::vector<Region> scratch_;
};

} // namespace pregonero::runtime
