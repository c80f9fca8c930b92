#include "platform/graphics/Canvas.h"

#include "platform/graphics/Bitmap.h"

namespace Osp::Graphics {

Canvas::Canvas(pregonero::runtime::Painter& painter, int originX, int originY)
    : painter_(painter), originX_(originX), originY_(originY) {}

Canvas::~Canvas() = default;

pregonero::runtime::IntRect Canvas::ToScreen(const Rectangle& rect) const {
    return {rect.x + originX_, rect.y + originY_, rect.width, rect.height};
}

result Canvas::FillRectangle(const Color& color, const Rectangle& rect) const {
    if (rect.width < 0 || rect.height < 0) {
        return E_INVALID_ARG;
    }
    painter_.FillRect(ToScreen(rect), color.ToRgba());
    return E_SUCCESS;
}

result Canvas::DrawText(const Rectangle& rect, const Osp::Base::String& text,
                        const pregonero::runtime::TextStyle& style) const {
    return DrawTextUtf8(rect, text.ToUtf8(), style);
}

result Canvas::DrawTextUtf8(const Rectangle& rect, std::string_view utf8,
                            const pregonero::runtime::TextStyle& style) const {
    painter_.DrawText(ToScreen(rect), utf8, style);
    return E_SUCCESS;
}

result Canvas::DrawBitmap(const Rectangle& rect, const Bitmap& bitmap) const {
    if (bitmap.IsEmpty()) {
        return E_INVALID_ARG;
    }
    painter_.DrawPixels(ToScreen(rect), *bitmap.Pixels());
    return E_SUCCESS;
}

} // namespace Osp::Graphics
