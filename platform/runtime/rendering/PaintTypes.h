#pragma once

#include <cstdint>

namespace pregonero::runtime {

struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
    bool operator==(const Rgba&) const = default;
};

struct IntRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const IntRect&) const = default;
    bool Contains(int px, int py) const {
        return px >= x && py >= y && px < x + width && py < y + height;
    }
    bool Contains(const IntRect& inner) const {
        return inner.x >= x && inner.y >= y && inner.x + inner.width <= x + width &&
               inner.y + inner.height <= y + height;
    }
    // The overlap, or an empty rectangle at 0, 0 when there is none.
    IntRect Intersection(const IntRect& o) const {
        const int x0 = x > o.x ? x : o.x;
        const int y0 = y > o.y ? y : o.y;
        const int x1 = x + width < o.x + o.width ? x + width : o.x + o.width;
        const int y1 = y + height < o.y + o.height ? y + height : o.y + o.height;
        if (x1 <= x0 || y1 <= y0) {
            return {};
        }
        return {x0, y0, x1 - x0, y1 - y0};
    }
};

enum class FontWeight { Normal, Bold };
enum class FontSlant { Normal, Italic };
enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Middle, Bottom };
enum class TextWrap { Wrap, SingleLine };

struct TextStyle {
    int size = 28; // pixels
    Rgba color;
    FontWeight weight = FontWeight::Normal;
    FontSlant slant = FontSlant::Normal;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    TextWrap wrap = TextWrap::Wrap;
    // The box ends where a clip does: lines moved closer must still end
    // inside it, where elsewhere the last one may reach into the tenth of a
    // line that moving them freed.
    bool endsAtClip = false;
    bool operator==(const TextStyle&) const = default;
};

} // namespace pregonero::runtime
