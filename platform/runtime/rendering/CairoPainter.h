#pragma once

#include "platform/runtime/rendering/Painter.h"
#include "platform/runtime/rendering/SolidColorRegions.h"

#include <cstdint>
#include <memory>
#include <vector>

struct _cairo;

namespace pregonero::runtime {

class Framebuffer;
class TextCoverage;
class TextLayoutCache;

// Draws one frame into the framebuffer.
class CairoPainter final : public Painter {
public:
    // Skip draws every call the plain way, each fill blended by cairo and
    // each text through Pango's renderer, with nothing remembered between
    // calls: the pixels must come out the same either way.
    enum class Shortcuts { Use, Skip };

    CairoPainter(Framebuffer& framebuffer, TextLayoutCache& layouts,
                 Shortcuts shortcuts = Shortcuts::Use);
    void FillRect(const IntRect& rect, Rgba color) override;
    void StrokeRect(const IntRect& rect, Rgba color, int lineWidth) override;
    void DrawText(const IntRect& rect, std::string_view utf8, const TextStyle& style) override;
    void DrawPixels(const IntRect& dest, const PixelBuffer& pixels) override;
    void PushClip(const IntRect& rect) override;
    void PopClip() override;

private:
    void SetColor(Rgba color);
    // Writes `pixel`, an opaque value, over `area`, which lies inside the clip.
    void FillOpaque(const IntRect& area, std::uint32_t pixel);
    IntRect Clipped(const IntRect& rect) const;
    // Draws a text by its coverage over `box`, which holds `under` throughout.
    void PaintCoverage(const TextCoverage& coverage, int x, int y, const IntRect& box, Rgba color,
                       std::uint32_t under);
    struct ContextDeleter {
        void operator()(_cairo* cr) const;
    };
    std::unique_ptr<_cairo, ContextDeleter> cr_;
    TextLayoutCache& layouts_;
    const bool shortcuts_;
    std::vector<IntRect> clips_; // the clip is always the last, a rectangle
    SolidColorRegions solid_;
    std::vector<SolidColorRegions::Region> known_; // scratch for FillRect
    std::vector<IntRect> unknown_;
};

} // namespace pregonero::runtime
