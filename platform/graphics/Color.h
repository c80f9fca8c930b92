#pragma once

#include "platform/base/Object.h"
#include "platform/runtime/rendering/PaintTypes.h"

#include <cstdint>

namespace Osp::Graphics {

class Color : public Osp::Base::Object {
public:
    Color();
    Color(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255);
    Color(const Color& other);
    Color& operator=(const Color& other);
    ~Color() override;

    std::uint8_t GetRed() const { return r_; }
    std::uint8_t GetGreen() const { return g_; }
    std::uint8_t GetBlue() const { return b_; }
    std::uint8_t GetAlpha() const { return a_; }
    bool operator==(const Color& other) const;
    bool operator!=(const Color& other) const { return !(*this == other); }
    bool Equals(const Osp::Base::Object& obj) const override;

    pregonero::runtime::Rgba ToRgba() const { return {r_, g_, b_, a_}; }

    static const Color COLOR_BLACK;
    static const Color COLOR_WHITE;
    static const Color COLOR_GREY;
    static const Color COLOR_RED;
    static const Color COLOR_BLUE;
    static const Color COLOR_YELLOW;

private:
    std::uint8_t r_ = 0;
    std::uint8_t g_ = 0;
    std::uint8_t b_ = 0;
    std::uint8_t a_ = 255;
};

} // namespace Osp::Graphics
