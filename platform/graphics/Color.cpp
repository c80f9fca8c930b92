#include "platform/graphics/Color.h"

namespace Osp::Graphics {

const Color Color::COLOR_BLACK(0, 0, 0);
const Color Color::COLOR_WHITE(255, 255, 255);
const Color Color::COLOR_GREY(160, 160, 160);
const Color Color::COLOR_RED(255, 0, 0);
const Color Color::COLOR_BLUE(0, 0, 255);
const Color Color::COLOR_YELLOW(255, 255, 0);

Color::Color() = default;
Color::Color(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
    : r_(r), g_(g), b_(b), a_(a) {}
Color::Color(const Color& other) = default;
Color& Color::operator=(const Color& other) = default;
Color::~Color() = default;

bool Color::operator==(const Color& o) const {
    return r_ == o.r_ && g_ == o.g_ && b_ == o.b_ && a_ == o.a_;
}

bool Color::Equals(const Osp::Base::Object& obj) const {
    const auto* other = dynamic_cast<const Color*>(&obj);
    return other != nullptr && *other == *this;
}

} // namespace Osp::Graphics
