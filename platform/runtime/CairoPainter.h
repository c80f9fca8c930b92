#pragma once

#include "platform/runtime/Painter.h"

#include <memory>

struct _cairo;

namespace pregonero::runtime {

class Framebuffer;
class TextLayoutCache;

// Draws one frame into the framebuffer.
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
    void SetColor(Rgba color);
    struct ContextDeleter {
        void operator()(_cairo* cr) const;
    };
    std::unique_ptr<_cairo, ContextDeleter> cr_;
    TextLayoutCache& layouts_;
};

} // namespace pregonero::runtime
