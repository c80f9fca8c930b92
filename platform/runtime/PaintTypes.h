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
    bool Intersects(const IntRect& o) const {
        return x < o.x + o.width && o.x < x + width && y < o.y + o.height && o.y < y + height;
    }
    bool Contains(int px, int py) const {
        return px >= x && py >= y && px < x + width && py < y + height;
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
    bool operator==(const TextStyle&) const = default;
};

} // namespace pregonero::runtime
