#pragma once

#include "platform/base/String.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Rectangle.h"
#include "platform/runtime/rendering/Painter.h"

namespace Osp::Graphics {

class Bitmap;

// Drawing surface handed to controls and list elements. Coordinates are
// relative to the canvas origin (a row's top left corner for list elements).
class Canvas : public Osp::Base::Object {
public:
    Canvas(pregonero::runtime::Painter& painter, int originX, int originY);
    ~Canvas() override;

    result FillRectangle(const Color& color, const Rectangle& rect) const;

    // The stand-in's own text and picture drawing, used by the controls.
    result DrawText(const Rectangle& rect, const Osp::Base::String& text,
                    const pregonero::runtime::TextStyle& style) const;
    result DrawTextUtf8(const Rectangle& rect, std::string_view utf8,
                        const pregonero::runtime::TextStyle& style) const;
    result DrawBitmap(const Rectangle& rect, const Bitmap& bitmap) const;

    pregonero::runtime::Painter& GetPainter() const { return painter_; }
    pregonero::runtime::IntRect ToScreen(const Rectangle& rect) const;
    int OriginX() const { return originX_; }
    int OriginY() const { return originY_; }

private:
    pregonero::runtime::Painter& painter_;
    int originX_;
    int originY_;
};

} // namespace Osp::Graphics
