#pragma once

#include "platform/runtime/loop/UniqueHandle.h"
#include "platform/runtime/rendering/Painter.h"

#include <vector>

struct _cairo;

namespace pregonero::runtime {

class Framebuffer;
class TextLayoutCache;

// Draws one frame into the framebuffer: fills and strokes by cairo, texts from
// the layouts the cache keeps, pictures scaled by cairo into their box.
class CairoPainter final : public Painter {
public:
    CairoPainter(Framebuffer& framebuffer, TextLayoutCache& layouts);
    void FillRect(const IntRect& rect, Rgba color) override;
    void StrokeRect(const IntRect& rect, Rgba color, int lineWidth) override;
    void DrawText(const IntRect& rect, std::string_view utf8, const TextStyle& style) override;
    void DrawPixels(const IntRect& dest, const PixelBuffer& pixels) override;
    void PushClip(const IntRect& rect) override;
    void PopClip() override;

private:
    // `rect` as far as it shows through the current clip.
    IntRect Clipped(const IntRect& rect) const;
    // Defined with Cairo's headers, which this one keeps out of its includers.
    static void DestroyContext(_cairo* cr) noexcept;
    UniqueHandle<_cairo, DestroyContext> cr_;
    TextLayoutCache& layouts_;
    std::vector<IntRect> clips_; // the clip is always the last, a rectangle
};

} // namespace pregonero::runtime
