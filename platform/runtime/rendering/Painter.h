#pragma once

#include "platform/runtime/rendering/PaintTypes.h"

#include <string_view>

namespace pregonero::runtime {

struct PixelBuffer;

// What controls draw with. Coordinates are screen pixels; the painter keeps a
// stack of clip rectangles so a list can clip every element to its row.
class Painter {
public:
    virtual ~Painter() = default;
    virtual void FillRect(const IntRect& rect, Rgba color) = 0;
    virtual void StrokeRect(const IntRect& rect, Rgba color, int lineWidth) = 0;
    // Wraps inside `rect` (or keeps to one line) and ends with an ellipsis
    // when the text does not fit.
    virtual void DrawText(const IntRect& rect, std::string_view utf8, const TextStyle& style) = 0;
    virtual void DrawPixels(const IntRect& dest, const PixelBuffer& pixels) = 0;
    virtual void PushClip(const IntRect& rect) = 0;
    virtual void PopClip() = 0;
};

// Restores the clip on every path out of a drawing scope.
class ClipScope {
public:
    ClipScope(Painter& painter, const IntRect& rect) : painter_(painter) {
        painter_.PushClip(rect);
    }
    ~ClipScope() { painter_.PopClip(); }
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;

private:
    Painter& painter_;
};

} // namespace pregonero::runtime
